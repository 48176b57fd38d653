#pragma once
// How many bytes of body each kind of answer may bring. A party that sends more (an endless
// body, a Content-Length of a terabyte) has its answer ended at once, and the request fails as a
// broken connection would; without a limit such an answer grows in memory until its time-out,
// and long before that the program runs out of memory. Each limit is far above what the kind
// ever needs, and small enough that one request can never cost more than that.
//
// Thread: constants.

#include <QtGlobal>

namespace quillo::answer_limits {

constexpr qsizetype kKiB = 1024;
constexpr qsizetype kMiB = 1024 * kKiB;

// The service's pages and AJAX answers, the channel's long-poll answer among them. The largest
// usual one is the buddy list: 0.93 MB for 5,000 friends all online, as the stand-in sends it
// (about 190 bytes a friend). Names in other scripts come as \uXXXX escapes, six bytes a
// character, and a history or channel answer may carry many long messages, so there is room for
// several times that.
constexpr qsizetype kServiceAnswer = 16 * kMiB;

// A profile picture (the user's own, a friend's): a small JPEG, GIF or PNG, tens of kilobytes.
constexpr qsizetype kProfilePicture = 2 * kMiB;

// The maker's banner settings (settings.xml): a few hundred bytes a banner, a few kilobytes in
// all; room for thousands of banners.
constexpr qsizetype kBannerSettings = 1 * kMiB;

// A banner picture, 468 by 60: up to about 100 KB, an animated GIF more.
constexpr qsizetype kBannerPicture = 2 * kMiB;

// The IP echo's answer: an address, at most 45 characters; what is not an address is no use.
constexpr qsizetype kAddressEcho = 4 * kKiB;

// The maker's version text, such as "1.361".
constexpr qsizetype kVersionText = 4 * kKiB;

// The answer to an error report, read only to end the request: the maker's short home page.
constexpr qsizetype kErrorReportAnswer = 64 * kKiB;

// The largest of them: what a request that names no kind may receive.
constexpr qsizetype kLargest = kServiceAnswer;

} // namespace quillo::answer_limits
