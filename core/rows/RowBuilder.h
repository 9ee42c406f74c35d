#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/pop3/Pop3Message.h"
#include "core/rows/MessageRow.h"

// "1K" below 1000 bytes, else the size in decimal thousands, "%dK".
std::string SizeText(uint64_t size);

// "Y" when Content-Type holds "MIXED" or Content-Disposition holds
// "ATTACHMENT" (either case), else "".
std::string AttachmentMark(const CPop3Message& message);

// Sender split: the display name without double quotes and the bare
// address between the first '<' and the first '>'.
void SplitFrom(const std::string& from, std::string& name, std::string& email);

// A To value written as "<address>..." keeps only the first address.
std::string StripToBrackets(const std::string& to);

// Puts the weekday in front of a date that starts with its day number
// ("5 Jan 2005 10:00" -> "Wed, 5 Jan 2005 10:00"); anything else is kept.
void AddWeekday(std::string& date);

// The Date column: AddWeekday when the value starts with a digit, then a
// one-digit day after the first comma gets a leading zero.
std::string NormaliseDate(const std::string& date);

// The whole row for message n of the listing; the scan and the
// command-line front end both use it. Every text comes from the message's
// bounded field values, so the Subject is GetSubject() byte for byte.
MessageRow BuildMessageRow(int n, uint64_t size, const CPop3Message& message);

// Which message a header block belongs to, as far as its header tells: a
// digest of the raw From, Date and Message-ID fields (an absent field
// differs from an empty one), kIdentityBytes long. The purge compares it
// with what it reads again, so a message that took another's number, id and
// Subject is still told apart. Empty when no digest could be made.
inline constexpr size_t kIdentityBytes = 16;
std::string MessageIdentity(const CPop3Message& message);
