#pragma once
// The per-user settings store: text values by section and key, under one application name.
// Backed by QSettings: the platform's native store, or an INI file given by path.

#include <memory>
#include <optional>
#include <string>

class QSettings;

namespace platform {

class SettingsStore {
  public:
    // The user's native store of the application.
    explicit SettingsStore(const std::string& application);
    // An INI file (tests, portable installs).
    static SettingsStore fromFile(const std::string& path);
    ~SettingsStore();
    SettingsStore(SettingsStore&&) noexcept;
    SettingsStore& operator=(SettingsStore&&) noexcept;

    std::optional<std::string> read(const std::string& section, const std::string& key) const;
    // Writes the value through to the store; false when it could not be saved.
    bool write(const std::string& section, const std::string& key, const std::string& value);
    // Where the values live (a file path), for messages.
    std::string location() const;
    // Reads the store again (another process may have written it).
    void reload();

  private:
    SettingsStore() = default;
    std::unique_ptr<QSettings> settings_;
};

} // namespace platform
