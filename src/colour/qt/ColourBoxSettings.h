#pragma once
// The colour box's properties kept in the user's settings (the XDG config folder,
// organisation and application "tamberlux"), so that the Color Selector opens with the
// palette, custom colours and last colour of its previous use.

#include "colour/ColourBoxModel.h"

#include <QString>
#include <memory>

class QSettings;

namespace tlx {

class OXColorBox;
class Platform;

// A property bag over one group of a QSettings.
class SettingsPropertyBag : public PropertyBag {
public:
    SettingsPropertyBag(QSettings& settings, QString group);
    std::optional<std::string> Read(std::string_view key) override;
    void Write(std::string_view key, const std::string& value) override;
    // Removes everything the group holds (values left at their defaults are not written).
    void Clear();

private:
    QSettings& settings_;
    QString group_;
};

// The user's settings file. A file that cannot be read as settings is logged and put aside
// (renamed with ".damaged"), so that the defaults are used and the next save writes a sound
// one.
std::unique_ptr<QSettings> OpenUserSettings();

// Whether a colour box working with `platform` keeps its properties in the user's settings:
// with the desktop's platform, or in Qt's test mode (whose settings are a test's own). A
// scripted platform stands for a test, which never touches the real user's settings.
bool KeepsUserSettings(const Platform& platform);

// The box's properties from the user's settings (the defaults for what is missing or
// damaged), and back.
void LoadColourBoxSettings(OXColorBox& box);
void SaveColourBoxSettings(const OXColorBox& box);

} // namespace tlx
