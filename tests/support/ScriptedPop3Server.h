#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A POP3 server on 127.0.0.1:<free port> for tests, running on threads of
// its own, in one of two modes.
//
// Script mode plays exact bytes to ONE connection and checks exactly what
// the client sends:
//     ScriptedPop3Server server;
//     server.Send("+OK ready\r\n").Expect("USER u\r\n").Send("+OK\r\n")
//           .Expect("PASS p\r\n").SendSplit("+OK in\r\n", {1, 4}).Start();
// A step that fails (the client sent other bytes, or closed) ends the
// script and closes the connection; Failure() tells what happened. After the
// last step the server keeps recording what the client sends until it
// closes, and answers a QUIT with "+OK" and a close.
//
// Mailbox mode answers CAPA, USER, PASS, STAT, LIST, UIDL, TOP, DELE, RSET, NOOP
// and QUIT from a list of messages for any number of sessions, one thread
// per session; QUIT after a successful PASS removes the messages marked
// deleted (RFC 1939 §6).
class ScriptedPop3Server {
public:
    // Returned by a mailbox override: close the connection instead of replying.
    static const std::string kCloseConnection;
    // Returned by a mailbox override: send these bytes one at a time, 100 ms
    // apart (a server that trickles its answer).
    static std::string Trickled(const std::string& bytes);

    // Bytes in printable form for failure messages: CR, LF and other
    // control or 8-bit bytes escaped.
    static std::string Printable(const std::string& bytes);

    ScriptedPop3Server();   // listens at once, so Port() is known before Start()
    ~ScriptedPop3Server();  // closes every connection and joins the threads
    ScriptedPop3Server(const ScriptedPop3Server&) = delete;
    ScriptedPop3Server& operator=(const ScriptedPop3Server&) = delete;

    uint16_t Port() const;

    // Script steps, played in order.
    ScriptedPop3Server& Send(std::string bytes);  // in one write
    // Writes bytes in segments cut at the given offsets, pausing pauseMs
    // between segments so that each arrives on its own.
    ScriptedPop3Server& SendSplit(std::string bytes, std::vector<size_t> cuts, int pauseMs = 5);
    ScriptedPop3Server& Trickle(std::string bytes, int pauseMs);  // one byte at a time
    // Waits (up to 10 s) for exactly these bytes as the client's next bytes.
    ScriptedPop3Server& Expect(std::string clientBytes);
    ScriptedPop3Server& Pause(int ms);
    ScriptedPop3Server& CloseConnection();

    // Mailbox mode. messages are RFC 822 texts (LF or CR LF line ends; sent
    // with CR LF). override(command, session) sees each command line without
    // its CR LF ("" for the greeting; session counts connections from 0) and
    // may return the raw bytes to send instead of the normal reply, "" to
    // send nothing, or kCloseConnection; std::nullopt keeps the normal reply.
    using Override = std::function<std::optional<std::string>(const std::string& command, int session)>;
    void ServeMailbox(std::vector<std::string> messages, std::string user, std::string pass, Override override = {});
    // Mailbox mode, before Start(): CAPA (answered in every state) lists
    // PIPELINING (RFC 2449), and the client may send commands ahead.
    void ListPipelining(bool bPipelining);
    // Mailbox mode, before Start(): "AUTH <mechanism>" is answered "+ " and
    // logs in when the next line is `response` (RFC 5034), besides USER/PASS.
    void AcceptSasl(std::string mechanism, std::string response);
    // Mailbox mode, before Start(): how each reply goes out, decided after
    // the override. The shaper may change the reply's bytes in place; the
    // reply is then held back m_nDelayMs and written in segments cut at
    // m_aCuts, kSegmentPauseMs apart, or the connection is closed instead.
    struct ReplyShape {
        int m_nDelayMs = 0;
        std::vector<size_t> m_aCuts;
        bool m_bClose = false;
    };
    using Shaper = std::function<ReplyShape(const std::string& command, int session, std::string& reply)>;
    void ShapeReplies(Shaper shaper);
    static constexpr int kSegmentPauseMs = 2;

    // Mailbox mode: the messages with the ids UIDL gives them. SetMailbox
    // replaces the mailbox (texts get CR LF line ends); a session already
    // logged in keeps the view it took at PASS, and its QUIT removes only
    // the messages of that view it marked, whatever their ids. Two messages
    // may share an id, as on a server at fault.
    struct MailboxMessage {
        std::string m_sUid;
        std::string m_sText;
    };
    void SetMailbox(std::vector<MailboxMessage> messages);
    std::vector<MailboxMessage> Mailbox() const;
    // Closes every open connection at once, as a server that logs idle
    // sessions out.
    void DropSessions();

    void Start();

    std::string Received() const;  // everything clients sent, all sessions, in order
    bool WaitFinished(int ms);     // script played to its end without a failure
    std::string Failure() const;   // why the script stopped early; empty if it did not

    // Mailbox mode: the messages left (CR LF line ends). Both modes: how
    // many sessions were accepted, and waiting until no client is connected
    // (in script mode, until the script's client has closed).
    std::vector<std::string> Messages() const;
    int SessionCount() const;
    bool WaitNoSession(int ms);

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
