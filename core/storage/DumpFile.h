#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform/PrivateFile.h"

// "message.txt": every header block of one scan, written to a new private
// file beside it and renamed over it only when the scan ends, so the last
// complete dump stays until a new one replaces it whole. A file or symlink
// another user planted under the name is replaced, never written through.
//
// Record format, per message: "\r\n\r\n" twenty asterisks "\r\n\r\n", then
// "message %d, length is%u\n", "\n", the header text, "\n\n".
//
// Not thread-safe; one scan owns it.
class CDumpFile {
public:
    // The dump a hostile server could fill is bounded on disk; a person does
    // not read more than this, and an honest mailbox of 100,000 messages fits.
    static constexpr uint64_t kMaxDumpBytes = uint64_t{256} << 20;

    explicit CDumpFile(std::string path = "message.txt", uint64_t nMaxBytes = kMaxDumpBytes);

    // The dump of the account kept in settings section `section`: the first
    // account's is "message.txt", as it always was; each further account's
    // is "message-<section>.txt", so scans that run at once never share one.
    static std::string PathFor(const std::string& section);
    ~CDumpFile();  // Abort() unless committed
    CDumpFile(const CDumpFile&) = delete;
    CDumpFile& operator=(const CDumpFile&) = delete;

    // Creates the temporary file (mode 0600, a new name beside the dump).
    // False, with Reason() set, when it cannot be created.
    bool Open();

    // Appends one record. Once the records would pass the limit, writes one
    // line saying the dump was cut and drops this and every later record
    // (WasCut() then says so); that is not a failure. False after the first
    // write error, which Reason() describes.
    bool WriteRecord(int n, uint64_t size, std::string_view text);

    // Takes back every record from byte `nBytes` on (the end of a record,
    // or 0), the line saying the dump was cut included, so a dump written
    // ahead on a guess keeps only what turned out right. False after a
    // failure, which Reason() describes.
    bool Rewind(uint64_t nBytes);
    // Hands what is buffered to the file and starts the disk writing all
    // of it, so Commit's sync has little left to wait for.
    void WriteOut();

    // Flushes, syncs, closes and renames the temporary file over the dump.
    // False, with Reason() set, when any of it failed; the temporary file is
    // then removed and the old dump left as it was.
    bool Commit();
    // Removes the temporary file; the old dump stays as it was.
    void Abort();

    bool IsOpen() const { return m_bOpen; }
    bool WasCut() const { return m_bCut; }
    bool Failed() const { return m_nError != 0; }
    int Error() const { return m_nError; }  // errno of the first failure, 0 when none
    const std::string& Reason() const { return m_sReason; }
    // "Failed to write message to file: " and the reason, for the status line.
    std::string FailureStatus() const;
    // The status line for a scan whose dump was cut.
    std::string CutStatus() const;
    const std::string& Path() const { return m_sPath; }
    uint64_t BytesWritten() const { return m_nWritten; }
    // Where the header text of the last record written starts in the file
    // ("View Headers" reads it back from there).
    uint64_t LastTextOffset() const { return m_nTextOffset; }

private:
    void Append(std::string_view bytes);
    bool WriteAll(std::string_view bytes);
    bool Flush();
    // Starts the disk writing what has reached the file so far, without
    // waiting for it, so Commit's fsync is left with little to do.
    void StartWriteback(uint64_t nStep);
    // pszWhat: "%1 (writing %2)" and the like, marked for translation in the
    // context "DumpFile"; %1 is the error, %2 the file.
    void Fail(int error, const char* pszWhat);

    std::string m_sPath;
    platform::PrivateFile m_file;  // the new dump, until Commit puts it in place
    uint64_t m_nMaxBytes;
    uint64_t m_nWritten = 0;  // bytes of records accepted, buffered or not
    uint64_t m_nTextOffset = 0;
    uint64_t m_nInFile = 0;         // bytes handed to write()
    uint64_t m_nWritebackFrom = 0;  // where StartWriteback has not reached yet
    std::string m_buffer;
    bool m_bOpen = false;
    bool m_bCut = false;
    int m_nError = 0;
    std::string m_sReason;
};
