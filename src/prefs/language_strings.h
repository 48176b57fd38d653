#pragma once
// The language strings: the message texts that the rest of the program shows, each with a
// built-in English default and replaced from the language file when that file has an entry.
// The first 55 are the texts every language file has always carried; the keys after them were
// added later, so older and third-party files lack them and those texts stay English there.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <optional>

namespace quillo {

// The keys, in the order in which the language file is read. The enumerators carry the exact
// names of the entries in the file, so a key reads the same in code and in a translation.
#define QUILLO_LANGUAGE_KEYS(X)                                                                    \
    X(msgGetBuddy)                                                                                 \
    X(msgLoginFail)                                                                                \
    X(msgMessageSent)                                                                              \
    X(msgOfflinenotify)                                                                            \
    X(msgOnlinenotify)                                                                             \
    X(msgRecommend)                                                                                \
    X(SendButtonCaption)                                                                           \
    X(msgSignin)                                                                                   \
    X(msgOffline)                                                                                  \
    X(msgBanner)                                                                                   \
    X(AboutCaption)                                                                                \
    X(OptionCaption)                                                                               \
    X(ClearHistoryCaption)                                                                         \
    X(OnlineCaption)                                                                               \
    X(OfflineCaption)                                                                              \
    X(msgLoginExpire)                                                                              \
    X(msgConnectFail)                                                                              \
    X(msgIncorrectPassword)                                                                        \
    X(msgNoReponse)                                                                                \
    X(cbEdu1)                                                                                      \
    X(cbEdu2)                                                                                      \
    X(cbEdu3)                                                                                      \
    X(cbEdu4)                                                                                      \
    X(msgIntro)                                                                                    \
    X(msgRecommendOffline)                                                                         \
    X(wallDlgCaption)                                                                              \
    X(msgDlgCaption)                                                                               \
    X(msgNewVersion)                                                                               \
    X(msgTyping)                                                                                   \
    X(msgClearHistoryConfirm)                                                                      \
    X(msgCancelConfirm)                                                                            \
    X(msgMsgReceive)                                                                               \
    X(msgChattingStatus)                                                                           \
    X(msgPromote)                                                                                  \
    X(msgConflic)                                                                                  \
    X(msgLoginStatus)                                                                              \
    X(msgLogoutStatus)                                                                             \
    X(msgInternetProblem)                                                                          \
    X(msgPleasewait)                                                                               \
    X(msgSending)                                                                                  \
    X(msgDone)                                                                                     \
    X(msgCurUser)                                                                                  \
    X(msgBoldToolTip)                                                                              \
    X(msgUnderlineToolTip)                                                                         \
    X(msgEmoticonTooltip)                                                                          \
    X(msgDefaultMessage)                                                                           \
    X(msgDefaultSubject)                                                                           \
    X(msgNoNewVersion)                                                                             \
    X(Chatlog)                                                                                     \
    X(SaveChatCaption)                                                                             \
    X(msgChatHistoryCaption)                                                                       \
    X(msgVersion)                                                                                  \
    X(msgFriendList)                                                                               \
    X(msgSaveConversation)                                                                         \
    X(pnClearHistory)                                                                              \
    X(msgPasswordInFile)                                                                           \
    X(msgSigningOut)                                                                               \
    X(msgSaveConversationFail)                                                                     \
    X(msgChatLogWriteFail)                                                                         \
    X(msgChatLogReadFail)                                                                          \
    X(msgConsentStoreFail)                                                                         \
    X(msgBulkSessionEnded)                                                                         \
    X(msgMessageCut)                                                                               \
    X(msgMessagesMissed)                                                                           \
    X(msgSummaryOneOnline)                                                                         \
    X(msgSummaryOnline)                                                                            \
    X(msgSummaryOneOffline)                                                                        \
    X(msgSummaryOffline)                                                                           \
    X(msgSummaryAlsoOffline)                                                                       \
    X(msgUpdateCheckFail)

enum class LanguageKey : int {
#define QUILLO_LANGUAGE_KEY_ENUMERATOR(name) name,
    QUILLO_LANGUAGE_KEYS(QUILLO_LANGUAGE_KEY_ENUMERATOR)
#undef QUILLO_LANGUAGE_KEY_ENUMERATOR
};

// The keys every language file has always carried, pnClearHistory the last of them.
inline constexpr int kOriginalLanguageKeyCount = 55;
inline constexpr int kLanguageKeyCount = 70;
#define QUILLO_LANGUAGE_KEY_COUNT_ONE(name) +1
static_assert(0 QUILLO_LANGUAGE_KEYS(QUILLO_LANGUAGE_KEY_COUNT_ONE) == kLanguageKeyCount);
#undef QUILLO_LANGUAGE_KEY_COUNT_ONE
// New keys go after the original ones, so a key's place in the list never changes.
static_assert(static_cast<int>(LanguageKey::pnClearHistory) == kOriginalLanguageKeyCount - 1);

// Every key in file order.
const std::array<LanguageKey, kLanguageKeyCount>& AllLanguageKeys();

// The entry name of a key in a language file ("msgLoginFail").
QString LanguageKeyName(LanguageKey key);

// The key whose entry name is exactly name (case-sensitive), if any.
std::optional<LanguageKey> LanguageKeyFromName(QStringView name);

// The built-in English text. Line breaks are line feed then carriage return, the order in which
// the texts were always written; texts that name the maker's web site carry the build's address.
QString DefaultLanguageText(LanguageKey key);

// Fills "%s" and "%d" placeholders, left to right, with values. The pattern may come from a
// translation, so it is never handed to a printf-style formatter: a placeholder without a value
// becomes empty text, surplus values are dropped, "%%" gives "%", any other "%" stays as it is,
// and inserted values are not scanned again.
QString FillPlaceholders(QStringView pattern, const QStringList& values);

// A language text as a window or a terminal shows it: the texts break lines with LF CR, as the
// original files wrote them, which would show as two breaks; here each is one "\n".
QString WithSingleLineBreaks(QString text);

// The current texts of all language strings.
//
// Thread and ownership: the application owns one instance. It is filled on the main thread at
// start-up, before any worker runs, and only read afterwards, so workers may read it without a
// lock (QString copies are thread-safe).
class LanguageStrings {
public:
    // Every text starts as its English default.
    LanguageStrings();

    const QString& text(LanguageKey key) const { return texts_[index(key)]; }
    // The text of the key named name; empty text when no key has that name.
    QString text(QStringView name) const;

    void setText(LanguageKey key, const QString& text) { texts_[index(key)] = text; }

    // text(key) with its placeholders filled (see FillPlaceholders).
    QString format(LanguageKey key, const QStringList& values) const {
        return FillPlaceholders(text(key), values);
    }

private:
    static constexpr std::size_t index(LanguageKey key) { return static_cast<std::size_t>(key); }

    std::array<QString, kLanguageKeyCount> texts_;
};

} // namespace quillo
