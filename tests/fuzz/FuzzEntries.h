#pragma once

#include <cstddef>
#include <cstdint>

// The fuzzed entry points, shared by the libFuzzer targets and by the
// regression test that replays every crash input ever found. Each checks
// the invariants of its parser's result and aborts when one breaks.
void FuzzHeaderRow(const uint8_t* data, size_t size);
void FuzzDefaultsFile(const uint8_t* data, size_t size);
void FuzzIniImport(const uint8_t* data, size_t size);
void FuzzPop3Replies(const uint8_t* data, size_t size);
void FuzzPop3Status(const uint8_t* data, size_t size);
void FuzzHeaderDecode(const uint8_t* data, size_t size);
// An Authentication-Results value, and the sender signals over it.
void FuzzAuthResults(const uint8_t* data, size_t size);
// A domain's autoconfig file (FuzzAutoconfig.cpp).
void FuzzAutoconfig(const uint8_t* data, size_t size);
// The OAuth token reply and the loopback redirect request (FuzzOAuth.cpp).
void FuzzOAuthReplies(const uint8_t* data, size_t size);
// The log-in's server texts: base64 challenges, the APOP time stamp, the
// OAuth error's status, CAPA's SASL line.
void FuzzSaslTexts(const uint8_t* data, size_t size);
// The preview: a message's start as MIME, and HTML as text (FuzzPreview.cpp).
void FuzzPreview(const uint8_t* data, size_t size);
// The header cache's file (FuzzHeaderCache.cpp).
void FuzzHeaderCache(const uint8_t* data, size_t size);
// The grid's hidden columns in the settings file (FuzzColumns.cpp).
void FuzzHiddenColumns(const uint8_t* data, size_t size);
// A whole session against arbitrary server bytes (FuzzSession.cpp).
void FuzzSession(const uint8_t* data, size_t size);
