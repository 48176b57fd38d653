#include "prefs/settings.h"

#include "platform/autorun.h"
#include "prefs/language_detect.h"

namespace quillo {

namespace {

// Reads single values for LoadSettings. Without a key (none stored yet) nothing exists; a value
// that exists but cannot be read leaves its field alone.
class ValueLoader {
public:
    explicit ValueLoader(const SettingsKey* key)
        : key_(key) {}

    bool Exists(const QString& name) const { return key_ != nullptr && key_->ValueExists(name); }

    void Flag(const QString& name, std::atomic<bool>& field) const {
        if (!Exists(name))
            return;
        if (StoreResult<bool> value = key_->ReadFlag(name); value.ok())
            field = value.value();
    }

    // Returns whether the value exists, read or not.
    bool Text(const QString& name, SharedText& field) const {
        if (!Exists(name))
            return false;
        if (StoreResult<QString> value = key_->ReadText(name); value.ok())
            field.set(value.value());
        return true;
    }

private:
    const SettingsKey* key_;
};

// Writes values one after another for SaveSettings until one fails; the later ones are skipped.
class ValueSaver {
public:
    explicit ValueSaver(SettingsKey& key)
        : key_(key) {}

    void Flag(const QString& name, bool value) {
        if (status_.ok())
            status_ = key_.WriteFlag(name, value);
    }
    void Text(const QString& name, const QString& value) {
        if (status_.ok())
            status_ = key_.WriteText(name, value);
    }
    const StoreStatus& status() const { return status_; }

private:
    SettingsKey& key_;
    StoreStatus status_;
};

QString LastPostName(const QString& email, bool testSpelling) {
    // One value: the existence test and the read and write spell it differently.
    return (testSpelling ? QStringLiteral("LastDay") : QStringLiteral("Lastday")) + email;
}

// The close result matters when nothing else failed (a file written at close).
StoreStatus CloseAfter(SettingsKey& key, StoreStatus status) {
    StoreStatus closed = key.Close();
    return status.ok() ? closed : status;
}

StoreStatus SaveWindowSize(SettingsStore& store, const QString& widthName,
                           const QString& heightName, int width, int height) {
    StoreResult<std::unique_ptr<SettingsKey>> opened = store.OpenKey(KeyAccess::ReadWriteCreate);
    if (!opened.ok())
        return opened.status();
    SettingsKey& key = *opened.value();
    StoreStatus status = key.WriteInteger(widthName, width);
    if (status.ok())
        status = key.WriteInteger(heightName, height);
    return CloseAfter(key, status);
}

StoreResult<WindowSize> LoadWindowSize(SettingsStore& store, const QString& widthName,
                                       const QString& heightName) {
    StoreResult<std::unique_ptr<SettingsKey>> opened = store.OpenKey(KeyAccess::ReadOnly);
    if (!opened.ok()) {
        if (opened.status().failure() == StoreFailure::KeyNotFound)
            return WindowSize{};
        return {opened.status(), WindowSize{}};
    }
    SettingsKey& key = *opened.value();
    WindowSize size;
    StoreStatus status;
    const auto read = [&](const QString& name, int& field) {
        if (!key.ValueExists(name))
            return;
        StoreResult<qint32> value = key.ReadInteger(name);
        if (value.ok())
            field = value.value();
        else if (status.ok())
            status = value.status();
    };
    read(widthName, size.Width);
    read(heightName, size.Height);
    status = CloseAfter(key, status);
    if (!status.ok())
        return {status, size};
    return size;
}

// The account whose credentials the store remembers now; empty when none or unreadable.
QString StoredEmail(SettingsStore& store) {
    StoreResult<std::unique_ptr<SettingsKey>> opened = store.OpenKey(KeyAccess::ReadOnly);
    if (!opened.ok())
        return {};
    const SettingsKey& key = *opened.value();
    const QString name = QStringLiteral("Email");
    return key.ValueExists(name) ? key.ReadText(name).value() : QString();
}

// Puts the password where SaveSettings keeps it; returns the text of the file's "Password".
QString KeepPassword(SettingsStore& store, PasswordVault& vault, const Settings& settings,
                     const SessionState& session, PasswordKeeping& keeping) {
    const QString email = session.Email.get();
    const QString password = session.Password.get();
    const QString stored = StoredEmail(store);
    if (!settings.RememberSignin) {
        // The caller may have emptied session's address already (the window does when the box
        // is cleared), so the account the file remembers is forgotten as well.
        if (!stored.isEmpty())
            (void)vault.Remove(stored);
        if (!email.isEmpty() && email != stored)
            (void)vault.Remove(email);
        return {};
    }
    // A password without its address can neither be filed under it nor used to sign in.
    if (password.isEmpty() || email.isEmpty())
        return {};
    if (vault.Write(email, password) != VaultAnswer::Done) {
        keeping.noKeyring = true;
        return password;
    }
    // The file remembers one account: the password of the one before goes with it.
    if (!stored.isEmpty() && stored != email)
        (void)vault.Remove(stored);
    return {};
}

} // namespace

void LoadSettings(SettingsStore& store, Settings& settings, TDemographic& demographic,
                  SessionState& session, PasswordVault* vault, PasswordKeeping* keeping) {
    if (keeping)
        *keeping = {};
    settings.AutoUpdate = true;
    settings.ShowLastMsg = true;
    settings.RememberWindowSize = true;
    settings.RememberMainWindowSize = true;

    // A key that cannot be opened holds nothing: every value keeps its default.
    StoreResult<std::unique_ptr<SettingsKey>> opened = store.OpenKey(KeyAccess::ReadOnly);
    const SettingsKey* key = opened.ok() ? opened.value().get() : nullptr;
    const ValueLoader load(key);

    load.Flag(QStringLiteral("Auto signin"), settings.AutoSignin);
    load.Flag(QStringLiteral("Remember signin"), settings.RememberSignin);
    load.Text(QStringLiteral("Email"), session.Email);
    load.Text(QStringLiteral("Password"), session.Password);
    load.Flag(QStringLiteral("AutoDetectLanguage"), settings.AutoDetectLanguage);
    if (!settings.AutoDetectLanguage)
        load.Text(QStringLiteral("CurrentLang"), settings.CurrentLang);
    // The stored flag only records the last choice; the desktop's own entry is the truth.
    load.Flag(QStringLiteral("Autorun"), settings.Autorun);
    settings.Autorun = IsAutorunRegistered();

    load.Flag(QStringLiteral("AutoUpdate"), settings.AutoUpdate);
    load.Flag(QStringLiteral("ShowDemoGraphics"), settings.ShowDemoGraphics);
    load.Flag(QStringLiteral("ShowLastMsg"), settings.ShowLastMsg);

    const std::pair<QString, SharedText*> stored[] = {
        {QStringLiteral("Gender"), &demographic.Gender},
        {QStringLiteral("Age"), &demographic.Age},
        {QStringLiteral("Education"), &demographic.Education},
        {QStringLiteral("AnnualHouseHold"), &demographic.AnnualHouseHold},
    };
    for (const auto& [name, field] : stored) {
        if (!load.Text(name, *field))
            settings.ShowDemoGraphics = true;
    }

    load.Flag(QStringLiteral("AutoClearHistory"), settings.AutoClearHistory);
    load.Flag(QStringLiteral("hideoffline"), settings.HideOffline);
    load.Flag(QStringLiteral("Turnoffnotify"), settings.TurnOffNotify);
    load.Flag(QStringLiteral("RememberWindowSize"), settings.RememberWindowSize);
    load.Flag(QStringLiteral("RememberMainWindowSize"), settings.RememberMainWindowSize);
    load.Flag(QStringLiteral("DisableChatLog"), settings.DisableChatLog);

    const QString email = session.Email.get();
    if (vault && settings.RememberSignin && !email.isEmpty() && session.Password.get().isEmpty()) {
        const VaultRead read = vault->Read(email);
        if (read.answer == VaultAnswer::Done)
            session.Password.set(read.password);
        else if (read.answer == VaultAnswer::NoKeyring && keeping)
            keeping->noKeyring = true;
    }

    demographic.Language.set(DetectLanguage());
    demographic.Country.set(DetectCountry());
}

StoreStatus SaveSettings(SettingsStore& store, const Settings& settings,
                         const TDemographic& demographic, const SessionState& session,
                         PasswordVault* vault, PasswordKeeping* keeping) {
    PasswordKeeping kept;
    // The vault is asked before the key is opened: a keyring that takes its time keeps no key
    // open meanwhile.
    const QString filePassword =
        vault ? KeepPassword(store, *vault, settings, session, kept) : session.Password.get();
    if (keeping)
        *keeping = kept;

    StoreResult<std::unique_ptr<SettingsKey>> opened = store.OpenKey(KeyAccess::ReadWriteCreate);
    if (!opened.ok())
        return opened.status();
    SettingsKey& key = *opened.value();
    ValueSaver save(key);

    save.Flag(QStringLiteral("Auto signin"), settings.AutoSignin);
    save.Flag(QStringLiteral("Remember signin"), settings.RememberSignin);
    // Forgetting the credentials overwrites them with empty texts; the values stay.
    const bool remember = settings.RememberSignin;
    save.Text(QStringLiteral("Email"), remember ? session.Email.get() : QString());
    save.Text(QStringLiteral("Password"), remember ? filePassword : QString());
    save.Flag(QStringLiteral("AutoDetectLanguage"), settings.AutoDetectLanguage);
    save.Text(QStringLiteral("CurrentLang"), settings.CurrentLang.get());
    save.Flag(QStringLiteral("Autorun"), settings.Autorun);
    save.Flag(QStringLiteral("AutoUpdate"), settings.AutoUpdate);
    save.Flag(QStringLiteral("ShowDemoGraphics"), settings.ShowDemoGraphics);
    save.Flag(QStringLiteral("ShowLastMsg"), settings.ShowLastMsg);
    save.Text(QStringLiteral("Gender"), demographic.Gender.get());
    save.Text(QStringLiteral("Age"), demographic.Age.get());
    save.Text(QStringLiteral("Education"), demographic.Education.get());
    save.Text(QStringLiteral("AnnualHouseHold"), demographic.AnnualHouseHold.get());
    save.Flag(QStringLiteral("AutoClearHistory"), settings.AutoClearHistory);
    save.Flag(QStringLiteral("hideoffline"), settings.HideOffline);
    save.Flag(QStringLiteral("Turnoffnotify"), settings.TurnOffNotify);
    save.Flag(QStringLiteral("DisableChatLog"), settings.DisableChatLog);
    // The same value as "RememberWindowSize": names match without regard to case.
    save.Flag(QStringLiteral("RememberwindowSize"), settings.RememberWindowSize);
    save.Flag(QStringLiteral("RememberMainWindowSize"), settings.RememberMainWindowSize);

    return CloseAfter(key, save.status());
}

StoreResult<bool> ReadAccountConsent(SettingsStore& store, const QString& email,
                                     Settings& settings) {
    StoreResult<std::unique_ptr<SettingsKey>> opened = store.OpenKey(KeyAccess::ReadWriteCreate);
    if (!opened.ok())
        return {opened.status(), false};
    SettingsKey& key = *opened.value();
    if (!key.ValueExists(email)) {
        StoreStatus closed = key.Close();
        return closed.ok() ? StoreResult<bool>(true) : StoreResult<bool>(closed, true);
    }
    StoreResult<bool> consent = key.ReadFlag(email);
    if (consent.ok())
        settings.ShowStatus = consent.value();
    StoreStatus status = CloseAfter(key, consent.status());
    return status.ok() ? StoreResult<bool>(false) : StoreResult<bool>(status, false);
}

StoreStatus WriteAccountConsent(SettingsStore& store, const QString& email, bool on) {
    StoreResult<std::unique_ptr<SettingsKey>> opened = store.OpenKey(KeyAccess::ReadWriteCreate);
    if (!opened.ok())
        return opened.status();
    SettingsKey& key = *opened.value();
    return CloseAfter(key, key.WriteFlag(email, on));
}

StoreResult<bool> WasStatusPostedToday(SettingsStore& store, const QString& email, QDate today) {
    StoreResult<std::unique_ptr<SettingsKey>> opened = store.OpenKey(KeyAccess::ReadOnly);
    if (!opened.ok()) {
        if (opened.status().failure() == StoreFailure::KeyNotFound)
            return false;
        return {opened.status(), false};
    }
    SettingsKey& key = *opened.value();
    if (!key.ValueExists(LastPostName(email, true)))
        return false;
    StoreResult<QDate> posted = key.ReadDate(LastPostName(email, false));
    StoreStatus status = CloseAfter(key, posted.status());
    if (!status.ok())
        return {status, false};
    return posted.value() == today;
}

StoreStatus MarkStatusPostedToday(SettingsStore& store, const QString& email, QDate today) {
    StoreResult<std::unique_ptr<SettingsKey>> opened = store.OpenKey(KeyAccess::ReadWriteCreate);
    if (!opened.ok())
        return opened.status();
    SettingsKey& key = *opened.value();
    return CloseAfter(key, key.WriteDate(LastPostName(email, false), today));
}

StoreStatus SaveChatWindowSize(SettingsStore& store, int width, int height) {
    return SaveWindowSize(store, QStringLiteral("iwidth"), QStringLiteral("iHeight"), width,
                          height);
}

StoreStatus SaveMainWindowSize(SettingsStore& store, int width, int height) {
    return SaveWindowSize(store, QStringLiteral("mwidth"), QStringLiteral("mHeight"), width,
                          height);
}

StoreResult<WindowSize> LoadChatWindowSize(SettingsStore& store) {
    return LoadWindowSize(store, QStringLiteral("iwidth"), QStringLiteral("iHeight"));
}

StoreResult<WindowSize> LoadMainWindowSize(SettingsStore& store) {
    return LoadWindowSize(store, QStringLiteral("mwidth"), QStringLiteral("mHeight"));
}

QSize ChatWindowSizeRule(WindowSize stored, QSize screen) {
    // A size of zero or less (a damaged or hand-edited entry) counts as not stored.
    return {stored.Width > 0 ? stored.Width : screen.width() / 2 - 20,
            stored.Height > 0 ? stored.Height : screen.height() / 2 + 10};
}

MainWindowPlacement MainWindowPlacementRule(WindowSize stored, QRect screen) {
    MainWindowPlacement placement;
    const int width = stored.Width > 0 ? stored.Width : 350;
    if (stored.Height > 0) {
        placement.size = {width, stored.Height};
        return placement;
    }
    const int height = screen.height() - 100;
    placement.size = {width, height};
    placement.move = true;
    placement.topLeft = {screen.left() + screen.width() - width,
                         screen.top() + screen.height() - height - 30};
    return placement;
}

QSize ChatWindowSizeFor(SettingsStore& store, const Settings& settings, QSize screen) {
    const WindowSize stored =
        settings.RememberWindowSize ? LoadChatWindowSize(store).value() : WindowSize{};
    return ChatWindowSizeRule(stored, screen);
}

MainWindowPlacement MainWindowPlacementFor(SettingsStore& store, const Settings& settings,
                                           QRect screen) {
    const WindowSize stored =
        settings.RememberMainWindowSize ? LoadMainWindowSize(store).value() : WindowSize{};
    return MainWindowPlacementRule(stored, screen);
}

} // namespace quillo
