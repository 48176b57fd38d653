#include "world.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "http_text.h"

namespace quillo::standin {

namespace {

UserId IdFrom(const Json& value, const std::string& where) {
    if (value.is_number_unsigned() && value.get<UserId>() > 0) {
        return value.get<UserId>();
    }
    if (value.is_number_integer() && value.get<std::int64_t>() > 0) {
        return static_cast<UserId>(value.get<std::int64_t>());
    }
    if (value.is_string()) {
        if (auto id = ParseId(value.get<std::string>()); id && *id > 0) {
            return *id;
        }
    }
    throw std::runtime_error(where + ": an id must be a positive whole number");
}

std::string TextFrom(const Json& object, const char* key, const std::string& where, bool required) {
    const auto found = object.find(key);
    if (found == object.end()) {
        if (required) {
            throw std::runtime_error(where + ": \"" + key + "\" is missing");
        }
        return {};
    }
    if (!found->is_string()) {
        throw std::runtime_error(where + ": \"" + key + "\" must be text");
    }
    return found->get<std::string>();
}

Account AccountFrom(const Json& entry, std::size_t index) {
    const std::string where = "accounts[" + std::to_string(index) + "]";
    if (!entry.is_object()) {
        throw std::runtime_error(where + " must be an object");
    }
    Account account;
    account.id = IdFrom(entry.value("id", Json()), where + ".id");
    account.email = TextFrom(entry, "email", where, false);
    account.password = TextFrom(entry, "password", where, false);
    account.name = TextFrom(entry, "name", where, true);
    account.first_name = TextFrom(entry, "first_name", where, false);
    if (account.first_name.empty()) {
        account.first_name = account.name.substr(0, account.name.find(' '));
    }
    if (const auto friends = entry.find("friends"); friends != entry.end()) {
        if (!friends->is_array()) {
            throw std::runtime_error(where + ".friends must be a list of ids");
        }
        for (const Json& id : *friends) {
            account.friends.push_back(IdFrom(id, where + ".friends"));
        }
    }
    account.online = entry.value("online", false);
    account.bot = TextFrom(entry, "bot", where, false);
    if (!account.bot.empty() && account.bot != "echo") {
        throw std::runtime_error(where + ".bot: only \"echo\" is known");
    }
    account.picture_format = TextFrom(entry, "picture_format", where, false);
    if (account.picture_format.empty()) {
        static const char* const kFormats[] = {"jpg", "png", "gif"};
        account.picture_format = kFormats[account.id % 3];
    }
    if (account.picture_format != "jpg" && account.picture_format != "png" &&
        account.picture_format != "gif") {
        throw std::runtime_error(where + ".picture_format must be jpg, png or gif");
    }
    if (const std::string form = TextFrom(entry, "page_form", where, false); !form.empty()) {
        if (!ParsePageForm(form, account.page_form)) {
            throw std::runtime_error(where + ".page_form: unknown form \"" + form + "\"");
        }
    }
    if (const std::string mode = TextFrom(entry, "reconnect_mode", where, false); !mode.empty()) {
        if (!ParseReconnectMode(mode, account.reconnect_mode)) {
            throw std::runtime_error(where + ".reconnect_mode: unknown mode \"" + mode + "\"");
        }
    }
    account.photos_redirect = entry.value("photos_redirect", false);
    account.home_picture = entry.value("home_picture", true);
    account.logout_link = entry.value("logout_link", true);
    return account;
}

StoredConversation ConversationFrom(const Json& entry, std::size_t index,
                                    const std::set<UserId>& known, std::int64_t now_ms) {
    const std::string where = "conversations[" + std::to_string(index) + "]";
    const auto between = entry.find("between");
    if (between == entry.end() || !between->is_array() || between->size() != 2) {
        throw std::runtime_error(where + ".between must hold two ids");
    }
    StoredConversation conversation;
    conversation.a = IdFrom((*between)[0], where + ".between");
    conversation.b = IdFrom((*between)[1], where + ".between");
    for (UserId id : {conversation.a, conversation.b}) {
        if (!known.contains(id)) {
            throw std::runtime_error(where + ": unknown account " + std::to_string(id));
        }
    }
    std::size_t number = 0;
    for (const Json& message : entry.value("messages", Json::array())) {
        const std::string at = where + ".messages[" + std::to_string(number++) + "]";
        StoredMessage stored;
        stored.from = IdFrom(message.value("from", Json()), at + ".from");
        if (stored.from != conversation.a && stored.from != conversation.b) {
            throw std::runtime_error(at + ".from is not part of the conversation");
        }
        stored.to = stored.from == conversation.a ? conversation.b : conversation.a;
        stored.text = TextFrom(message, "text", at, true);
        stored.time_ms = now_ms - message.value("minutes_ago", 0) * 60000LL;
        stored.msg_id = std::to_string(RandomBetween(-2147483647LL, 9007199254740991LL));
        conversation.messages.push_back(std::move(stored));
    }
    return conversation;
}

} // namespace

WorldData ParseWorld(const Json& document) {
    if (!document.is_object() || !document.contains("accounts") ||
        !document["accounts"].is_array()) {
        throw std::runtime_error("the data must be an object with a list \"accounts\"");
    }
    WorldData world;
    std::map<UserId, std::size_t> index_of;
    std::set<std::string> emails;
    for (std::size_t i = 0; i < document["accounts"].size(); ++i) {
        Account account = AccountFrom(document["accounts"][i], i);
        if (!index_of.emplace(account.id, world.accounts.size()).second) {
            throw std::runtime_error("account id " + std::to_string(account.id) + " appears twice");
        }
        if (!account.email.empty() && !emails.insert(account.email).second) {
            throw std::runtime_error("e-mail " + account.email + " appears twice");
        }
        world.accounts.push_back(std::move(account));
    }
    // Friendship goes both ways, whichever side the file names it on.
    std::vector<std::pair<UserId, UserId>> missing;
    for (const Account& account : world.accounts) {
        for (UserId friend_id : account.friends) {
            const auto other = index_of.find(friend_id);
            if (other == index_of.end()) {
                throw std::runtime_error("account " + std::to_string(account.id) +
                                         " names unknown friend " + std::to_string(friend_id));
            }
            if (friend_id == account.id) {
                throw std::runtime_error("account " + std::to_string(account.id) +
                                         " names itself as a friend");
            }
            const auto& theirs = world.accounts[other->second].friends;
            if (std::find(theirs.begin(), theirs.end(), account.id) == theirs.end()) {
                missing.emplace_back(friend_id, account.id);
            }
        }
    }
    for (const auto& [owner, friend_id] : missing) {
        auto& list = world.accounts[index_of[owner]].friends;
        if (std::find(list.begin(), list.end(), friend_id) == list.end()) {
            list.push_back(friend_id);
        }
    }
    std::set<UserId> known;
    for (const auto& [id, position] : index_of) {
        known.insert(id);
    }
    const std::int64_t now = NowMillis();
    std::size_t number = 0;
    for (const Json& entry : document.value("conversations", Json::array())) {
        world.conversations.push_back(ConversationFrom(entry, number++, known, now));
    }
    return world;
}

WorldData LoadWorld(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::runtime_error("cannot read the data file " + path);
    }
    std::stringstream text;
    text << file.rdbuf();
    Json document;
    try {
        document = Json::parse(text.str());
    } catch (const Json::parse_error& error) {
        throw std::runtime_error(path + ": " + error.what());
    }
    return ParseWorld(document);
}

Json GenerateScaleWorld(int friend_count) {
    static const char* const kGiven[] = {"Ana",   "Björn", "Chloé", "Dmitri", "Eşref", "Fiona",
                                         "Gábor", "Hana",  "Iñigo", "Józef",  "Kai",   "Lúcia"};
    static const char* const kFamily[] = {"Almeida", "Brandt", "Černý",  "Duarte",
                                          "Eriksen", "Fabre",  "Guðrún", "Horváth"};
    constexpr UserId kOwner = 100000900000001ULL;
    constexpr UserId kFirstFriend = 100000900100000ULL;
    Json owner;
    owner["id"] = kOwner;
    owner["email"] = "scale@quillo.test";
    owner["password"] = "scale";
    owner["name"] = "Scale Tester";
    owner["first_name"] = "Scale";
    owner["friends"] = Json::array();
    Json accounts = Json::array();
    for (int i = 0; i < friend_count; ++i) {
        const UserId id = kFirstFriend + static_cast<UserId>(i);
        owner["friends"].push_back(id);
        Json entry;
        entry["id"] = id;
        const std::string given = kGiven[i % std::size(kGiven)];
        entry["name"] =
            given + " " + kFamily[(i / 12) % std::size(kFamily)] + " " + std::to_string(i + 1);
        entry["first_name"] = given;
        entry["online"] = i % 20 == 0;
        accounts.push_back(std::move(entry));
    }
    accounts.insert(accounts.begin(), std::move(owner));
    Json document;
    document["accounts"] = std::move(accounts);
    document["conversations"] = Json::array();
    return document;
}

std::string PageFormName(PageForm form) {
    switch (form) {
    case PageForm::Plain:
        return "plain";
    case PageForm::Escaped:
        return "escaped";
    case PageForm::ScriptUser:
        return "script_user";
    case PageForm::NoChannel:
        return "no_channel";
    }
    return "plain";
}

bool ParsePageForm(const std::string& name, PageForm& form) {
    for (PageForm candidate :
         {PageForm::Plain, PageForm::Escaped, PageForm::ScriptUser, PageForm::NoChannel}) {
        if (PageFormName(candidate) == name) {
            form = candidate;
            return true;
        }
    }
    return false;
}

std::string ReconnectModeName(ReconnectMode mode) {
    switch (mode) {
    case ReconnectMode::Normal:
        return "normal";
    case ReconnectMode::ErrorPage:
        return "error_page";
    case ReconnectMode::RedirectHome:
        return "redirect_home";
    }
    return "normal";
}

bool ParseReconnectMode(const std::string& name, ReconnectMode& mode) {
    for (ReconnectMode candidate :
         {ReconnectMode::Normal, ReconnectMode::ErrorPage, ReconnectMode::RedirectHome}) {
        if (ReconnectModeName(candidate) == name) {
            mode = candidate;
            return true;
        }
    }
    return false;
}

} // namespace quillo::standin
