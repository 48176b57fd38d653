#include "prefs/language_strings.h"

#include "platform/build_settings.h"

namespace quillo {

using namespace Qt::StringLiterals;

namespace {

// The enumerators and their names come from one list, so they cannot drift apart.
constexpr std::array<LanguageKey, kLanguageKeyCount> kAllKeys = {
#define QUILLO_LANGUAGE_KEY_VALUE(name) LanguageKey::name,
    QUILLO_LANGUAGE_KEYS(QUILLO_LANGUAGE_KEY_VALUE)
#undef QUILLO_LANGUAGE_KEY_VALUE
};

constexpr std::array<const char16_t*, kLanguageKeyCount> kKeyNames = {
#define QUILLO_LANGUAGE_KEY_NAME(name) u"" #name,
    QUILLO_LANGUAGE_KEYS(QUILLO_LANGUAGE_KEY_NAME)
#undef QUILLO_LANGUAGE_KEY_NAME
};

} // namespace

const std::array<LanguageKey, kLanguageKeyCount>& AllLanguageKeys() {
    return kAllKeys;
}

QString LanguageKeyName(LanguageKey key) {
    return QString::fromUtf16(kKeyNames[static_cast<std::size_t>(key)]);
}

std::optional<LanguageKey> LanguageKeyFromName(QStringView name) {
    for (std::size_t i = 0; i < kKeyNames.size(); ++i) {
        if (name == QStringView(kKeyNames[i]))
            return kAllKeys[i];
    }
    return std::nullopt;
}

QString DefaultLanguageText(LanguageKey key) {
    const QString site = QLatin1String(build::kMakerWebSite);
    switch (key) {
    case LanguageKey::msgGetBuddy:
        return u"Loading buddy list ..."_s;
    case LanguageKey::msgLoginFail:
        return u"Login failed. Please try again!"_s;
    case LanguageKey::msgMessageSent:
        return u"Message sent."_s;
    case LanguageKey::msgOfflinenotify:
        return u" is offline."_s;
    case LanguageKey::msgOnlinenotify:
        return u" is online."_s;
    case LanguageKey::msgRecommend:
        return u"has invited you to use Quillo for Facebook which can be downloaded at "_s + site +
               u" to chat with him/her."_s;
    case LanguageKey::SendButtonCaption:
        return u"Send"_s;
    case LanguageKey::msgSignin:
        return u"Signing in as %s"_s;
    case LanguageKey::msgOffline:
        return u"%s is no longer online. Following message \"%s\" has not been sent."_s;
    case LanguageKey::msgBanner:
        return u"Loading advertisments ..."_s;
    case LanguageKey::AboutCaption:
        return u"About"_s;
    case LanguageKey::OptionCaption:
        return u"Preferences"_s;
    case LanguageKey::ClearHistoryCaption:
        return u"Clear chat history"_s;
    case LanguageKey::OnlineCaption:
        return u"Online"_s;
    case LanguageKey::OfflineCaption:
        return u"Offline"_s;
    case LanguageKey::msgLoginExpire:
        return u"Login session is expired or this account\n\r"
               u"may logged in on another computer. Please re-login !"_s;
    case LanguageKey::msgConnectFail:
        return u"Fail to connect to chat server.\n\r"
               u"Please re-login !"_s;
    case LanguageKey::msgIncorrectPassword:
        return u"Incorrect email or password!"_s;
    case LanguageKey::msgNoReponse:
        return u"No reponsding from server. Send message fail!"_s;
    case LanguageKey::cbEdu1:
        return u"High School"_s;
    case LanguageKey::cbEdu2:
        return u"Some College/Assoc. Degree"_s;
    case LanguageKey::cbEdu3:
        return u"College/University Degree"_s;
    case LanguageKey::cbEdu4:
        return u"Graduate/Postgraduate Degree"_s;
    case LanguageKey::msgIntro:
        return u"Please login using your Facebook user name and password."_s;
    case LanguageKey::msgRecommendOffline:
        return u"%s is no longer online.Recommend has not been sent."_s;
    case LanguageKey::wallDlgCaption:
        return u"Please type your post on Wall below"_s;
    case LanguageKey::msgDlgCaption:
        return u"Please type message you want to send below"_s;
    case LanguageKey::msgNewVersion:
        return u"A New Version Of Quillo for Facebook Has Been Released. \n\r"
               u"In order To continue To Use Quillo, "
               u"Please Download and Install The New Version."_s;
    case LanguageKey::msgTyping:
        return u"%s is typing message..."_s;
    case LanguageKey::msgClearHistoryConfirm:
        return u"Are you sure you wish to clear the chat history with %s?"_s;
    case LanguageKey::msgCancelConfirm:
        return u"Are you sure you wish to cancel? You will lose the message you have typed."_s;
    case LanguageKey::msgMsgReceive:
        return u"Message received from %s"_s;
    case LanguageKey::msgChattingStatus:
        return u"%s is chatting with 4 friends using Quillo for Facebook ("_s + site + u")"_s;
    case LanguageKey::msgPromote:
        return u"Quillo is a popular desktop instant messenger for Facebook.\n\r"
               u"Most of our users like to share our link on Facebook and tell\n\r"
               u"Their friends when they are chatting on Quillo by changing\n\r"
               u"their status.\n\r"
               u"Would you like to do so?"_s;
    case LanguageKey::msgConflic:
        return u"Quillo for Facebook has detected that you are being regularly logged out of "
               u"Facebook Chat.\n\r"
               u"Do you want to continue to login to Quillo for Facebook?"_s;
    case LanguageKey::msgLoginStatus:
        return u"%s has signed into Facebook Chat using Quillo for Facebook ("_s + site + u")"_s;
    case LanguageKey::msgLogoutStatus:
        return u"%s has signed out of Facebook Chat using Quillo for Facebook ("_s + site + u")"_s;
    case LanguageKey::msgInternetProblem:
        return u"Please check your internet connection and try again!"_s;
    case LanguageKey::msgPleasewait:
        return u"Please wait..."_s;
    case LanguageKey::msgSending:
        return u"Progress %d/%d"_s;
    case LanguageKey::msgDone:
        return u"Done"_s;
    case LanguageKey::msgCurUser:
        return u"Sending to %s"_s;
    case LanguageKey::msgBoldToolTip:
        return u"Click to make text Bold"_s;
    case LanguageKey::msgUnderlineToolTip:
        return u"Click to underline text"_s;
    case LanguageKey::msgEmoticonTooltip:
        return u"Click to insert an emoticon"_s;
    case LanguageKey::msgDefaultMessage:
        return u"Type your message here\n\r"
               u"----------------------\n\r"
               u"Hi!\n\r"
               u"%s is using Quillo for Facebook and he asked us to recommend you to Quillo for "
               u"Facebook.\n\r"
               u"Quillo for Facebook is free instant message for Facebook."_s;
    case LanguageKey::msgDefaultSubject:
        return u"%s Recommends Quillo for Facebook"_s;
    case LanguageKey::msgNoNewVersion:
        return u"There is no new version available to update now."_s;
    case LanguageKey::Chatlog:
        return u"Show chat log"_s;
    case LanguageKey::SaveChatCaption:
        return u"Save Conversation"_s;
    case LanguageKey::msgChatHistoryCaption:
        return u"%s 's chat history"_s;
    case LanguageKey::msgVersion:
        return u"Version %s"_s;
    case LanguageKey::msgFriendList:
        return u"Quillo has detected loaded no contacts. It may be that an error has occured in "
               u"returning your contacts list, in which case we recommend you relogin.\n\r"
               u"However, if you have no Facebook Friends, we recommend you add some before using "
               u"Quillo for Facebook"_s;
    case LanguageKey::msgSaveConversation:
        return u"Conversation saved successfully!"_s;
    case LanguageKey::pnClearHistory:
        return u"Clearing chat history please wait..."_s;
    case LanguageKey::msgPasswordInFile:
        return u"No keyring answered, so your password is kept in the settings file, readable "
               u"only by you."_s;
    case LanguageKey::msgSigningOut:
        return u"Signing out..."_s;
    case LanguageKey::msgSaveConversationFail:
        return u"The conversation could not be saved to %s."_s;
    case LanguageKey::msgChatLogWriteFail:
        return u"Could not write the chat log %s: %s"_s;
    case LanguageKey::msgChatLogReadFail:
        return u"Could not read the chat log %s: %s"_s;
    case LanguageKey::msgConsentStoreFail:
        return u"Your answer about status updates could not be stored: %s"_s;
    case LanguageKey::msgBulkSessionEnded:
        return u"The session ended before every friend was sent to."_s;
    case LanguageKey::msgMessageCut:
        return u"[The message goes on for %d more characters. The chat log keeps it whole.]"_s;
    case LanguageKey::msgMessagesMissed:
        return u"Some messages may have been missed here: the service dropped them."_s;
    case LanguageKey::msgSummaryOneOnline:
        return u"%d friend is online"_s;
    case LanguageKey::msgSummaryOnline:
        return u"%d friends are online"_s;
    case LanguageKey::msgSummaryOneOffline:
        return u"%d friend is offline"_s;
    case LanguageKey::msgSummaryOffline:
        return u"%d friends are offline"_s;
    case LanguageKey::msgSummaryAlsoOffline:
        return u"%s, %d offline"_s;
    case LanguageKey::msgUpdateCheckFail:
        return u"The check for a new version got no answer. Please try again later."_s;
    }
    return {};
}

QString FillPlaceholders(QStringView pattern, const QStringList& values) {
    QString result;
    result.reserve(pattern.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != u'%' || i + 1 == pattern.size()) {
            result += c;
            continue;
        }
        const QChar conversion = pattern[i + 1];
        if (conversion == u's' || conversion == u'd') {
            if (next < values.size())
                result += values[next];
            ++next;
            ++i;
        } else if (conversion == u'%') {
            result += u'%';
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

LanguageStrings::LanguageStrings() {
    for (LanguageKey key : kAllKeys)
        texts_[index(key)] = DefaultLanguageText(key);
}

QString LanguageStrings::text(QStringView name) const {
    const auto key = LanguageKeyFromName(name);
    return key ? text(*key) : QString();
}

QString WithSingleLineBreaks(QString text) {
    return text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
}

} // namespace quillo
