#pragma once

#include "core/pop3/ClientSocket.h"

#include <deque>
#include <string>
#include <vector>

// A POP3 server played in-process under CClientSocket, for one connection:
// the script steps of ScriptedPop3Server, without a socket or a thread.
//     ScriptedStream server;
//     server.Send("+OK ready\r\n").Expect("USER u\r\n").SendSplit("+OK\r\n", {1, 3});
//     pop.SetStreamSource(server.Source());
// Its clock moves only while the client waits on it, by as long as the
// client was willing to wait or the script's silence lasts, whichever is
// shorter: silence and deadlines cost no real time. Bytes a step sends
// reach the client in the segments the step gives (SetChunk cuts them
// smaller), never merged with the next step's. After the last step a QUIT
// is answered "+OK" and the connection closed.
class ScriptedStream final : public CClientSocket::IStandIn {
public:
    using Clock = CClientSocket::Clock;

    ScriptedStream();

    ScriptedStream& Send(std::string bytes);
    // Cut at the given offsets; each segment reaches the client on its own.
    ScriptedStream& SendSplit(std::string bytes, std::vector<size_t> cuts);
    ScriptedStream& Trickle(const std::string& bytes, int pauseMs);  // one byte at a time
    // Exactly these bytes as the client's next; anything else ends the
    // script and closes the connection.
    ScriptedStream& Expect(std::string clientBytes);
    // The client's next line, whatever it holds: a server that answers
    // each command without looking at it (the session fuzz target).
    ScriptedStream& ExpectLine();
    ScriptedStream& Pause(int ms);
    ScriptedStream& CloseConnection();
    // No Receive hands out more than this (1: the bytes cut at every offset).
    ScriptedStream& SetChunk(size_t nBytes);

    // The source for CPop3Connection::SetStreamSource: this stream for the
    // first connection, none for any later one. The stream must outlive
    // the connection's use of it.
    CClientSocket::StreamSource Source();

    std::string Received() const { return m_sReceived; }  // everything the client sent
    bool Finished();                                      // played to its end without a failure
    std::string Failure() const;                          // why the script stopped early (or where it waits)
    long long ElapsedMs() const;                          // on its clock, since it was made

    bool SendAll(const char* pData, size_t nLength) override;
    ssize_t Receive(char* pBuffer, size_t nLength) override;
    platform::WaitResult WaitReadable(int nTimeoutMs) override;
    Clock::time_point Now() const override { return m_now; }

private:
    enum class Kind { kSend, kExpect, kExpectLine, kPause, kClose };
    struct Step {
        Kind m_kind;
        std::string m_sBytes;
        std::vector<size_t> m_aCuts;  // kSend: segment ends, ascending
        long long m_nPauseMs = 0;
        size_t m_nPos = 0;  // kSend: bytes handed out
    };
    ScriptedStream& Add(Kind kind, std::string bytes = {}, std::vector<size_t> cuts = {}, long long nPauseMs = 0);
    // Plays every step that needs nothing more from the client.
    void Advance();
    void Fail(const std::string& why);

    std::deque<Step> m_aSteps;
    size_t m_nStep = 0;  // steps played, for messages
    std::string m_sInbox;
    std::string m_sReceived;
    std::string m_sFailure;
    bool m_bClosed = false;
    size_t m_nChunk = ~size_t{0};
    Clock::time_point m_start;
    Clock::time_point m_now;
};
