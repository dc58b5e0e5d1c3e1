#include "colour/qt/ColourBoxSettings.h"

#include "colour/qt/OXColorBox.h"
#include "platform/Log.h"
#include "platform/qt/QtPlatform.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace tlx {

namespace {

constexpr std::string_view Where = "Colour box settings";
const QString Group = QStringLiteral("ColorBox");

QString KeyOf(std::string_view key) {
    return QString::fromUtf8(key.data(), qsizetype(key.size()));
}

std::unique_ptr<QSettings> MakeSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("tamberlux"), QStringLiteral("tamberlux"));
}

} // namespace

SettingsPropertyBag::SettingsPropertyBag(QSettings& settings, QString group)
    : settings_(settings), group_(std::move(group)) {}

std::optional<std::string> SettingsPropertyBag::Read(std::string_view key) {
    const QVariant value = settings_.value(group_ + '/' + KeyOf(key));
    if (!value.isValid())
        return std::nullopt;
    if (value.typeId() != QMetaType::QString) {
        LogWarning(Where, "ignored a stored value that is not a text: " + std::string(key));
        return std::nullopt;
    }
    return value.toString().toStdString();
}

void SettingsPropertyBag::Write(std::string_view key, const std::string& value) {
    settings_.setValue(group_ + '/' + KeyOf(key), QString::fromStdString(value));
}

void SettingsPropertyBag::Clear() {
    settings_.remove(group_);
}

std::unique_ptr<QSettings> OpenUserSettings() {
    auto settings = MakeSettings();
    if (settings->status() == QSettings::NoError)
        return settings;
    const QString path = settings->fileName();
    LogWarning(Where, "the settings file " + path.toStdString() +
                          " cannot be read; the defaults are used and it is put aside");
    settings.reset();
    QFile::remove(path + QStringLiteral(".damaged"));
    if (!QFile::rename(path, path + QStringLiteral(".damaged")))
        LogWarning(Where, "could not put aside " + path.toStdString());
    return MakeSettings();
}

bool KeepsUserSettings(const Platform& platform) {
    return dynamic_cast<const QtPlatform*>(&platform) != nullptr ||
           QStandardPaths::isTestModeEnabled();
}

void LoadColourBoxSettings(OXColorBox& box) {
    const auto settings = OpenUserSettings();
    SettingsPropertyBag bag(*settings, Group);
    box.ReadProperties(bag);
}

void SaveColourBoxSettings(const OXColorBox& box) {
    const auto settings = OpenUserSettings();
    SettingsPropertyBag bag(*settings, Group);
    bag.Clear();
    box.WriteProperties(bag);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        LogWarning(Where, "could not write " + settings->fileName().toStdString());
}

} // namespace tlx
