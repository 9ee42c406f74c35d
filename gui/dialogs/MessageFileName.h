#pragma once

#include <QString>
#include <functional>

// File names for saved messages, made from their Subject: safe in any
// folder (no path separators, control or reserved characters, no leading
// dot or dash, nothing a FAT or NTFS stick refuses), bounded, and unique.
namespace message_file {

// A name's bytes (UTF-8) before ".eml" and any " (n)": far below the 255
// most file systems allow, and short enough to read in a file dialog.
inline constexpr int kMaxStemBytes = 120;
// The most " (n)" tried before giving up on a folder that holds them all.
inline constexpr int kMaxTries = 10000;

// "Re: Invoice 3/2026?" becomes "Re_ Invoice 3_2026_.eml"; an empty or
// unusable Subject becomes "message.eml".
QString NameFromSubject(const QString& subject);
// `name`, or "stem (2).eml", "stem (3).eml", … the first that `taken` does
// not report; empty when none within kMaxTries is free.
QString UniqueName(const QString& name, const std::function<bool(const QString&)>& taken);

}  // namespace message_file
