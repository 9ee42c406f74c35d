#pragma once

#include <string>
#include <string_view>

// The text TOP n 0 fetched for one message: its header fields, each ending in
// CR LF, possibly followed by the empty line. Field values are looked up by
// name on the raw bytes; nothing is decoded here.
class CPop3Message {
public:
    // Keeps the text up to its first NUL, as the reply reader delivers it.
    void SetText(std::string_view text);
    void Clear();
    bool HasText() const { return m_bHasText; }
    const std::string& Text() const { return m_sText; }

    // The text before the first empty line; the whole text when there is none.
    std::string HeaderBlock() const;
    // The n-th (0 = first) field called `name`, unfolded, tabs made blanks,
    // trimmed; empty when there is no such field.
    std::string FindField(const std::string& name, int n) const;

    std::string GetFrom() const { return FindField("From", 0); }
    std::string GetSubject() const { return FindField("Subject", 0); }
    std::string GetDate() const { return FindField("Date", 0); }
    std::string GetTo() const { return FindField("To", 0); }
    std::string GetCC() const { return FindField("CC", 0); }

private:
    std::string m_sText;
    bool m_bHasText = false;
};
