#include "widgets/setting_controls.h"

#include <QCheckBox>
#include <QLineEdit>

#include "formats/settings_format.h"

namespace {

using Kind = SettingsEntry::Kind;

// One control the window has, and which setting it holds.
struct HeldSetting {
    const SettingsEntry *entry;
    int code;  // the frame code's position, -1 for other entries
    QLineEdit *box;
    QCheckBox *check;
};

QList<HeldSetting> heldSettings(const QWidget &window)
{
    QList<HeldSetting> held;
    for (const SettingsEntry &entry : settingsEntries()) {
        if (!entry.control)
            continue;
        const QString name = QLatin1String(entry.control);
        if (entry.kind == Kind::FrameCodes) {
            for (int i = 0; i < ProgramInformation::kFrameCodes; ++i) {
                if (auto *box = window.findChild<QLineEdit *>(QStringLiteral("%1(%2)").arg(name).arg(i)))
                    held.append({&entry, i, box, nullptr});
            }
        } else if (auto *box = window.findChild<QLineEdit *>(name)) {
            held.append({&entry, -1, box, nullptr});
        } else if (auto *check = window.findChild<QCheckBox *>(name)) {
            held.append({&entry, -1, nullptr, check});
        }
    }
    return held;
}

template <typename Info>
auto &textOf(Info &info, const HeldSetting &held)
{
    return held.code < 0 ? info.*held.entry->text : (info.*held.entry->codes)[size_t(held.code)];
}

}  // namespace

void loadSettingControls(QWidget &window, const ProgramInformation &settings)
{
    for (const HeldSetting &held : heldSettings(window)) {
        if (held.box)
            held.box->setText(textOf(settings, held));
        else if (held.entry->kind == Kind::CountFlag)
            held.check->setChecked(settings.intShowCount == 1);
        else
            held.check->setChecked(textOf(settings, held) == QLatin1String("On"));
    }
}

void copySettingControls(const QWidget &window, ProgramInformation &record)
{
    for (const HeldSetting &held : heldSettings(window)) {
        if (held.box)
            textOf(record, held) = held.box->text();
        else if (held.entry->kind == Kind::CountFlag)
            record.intShowCount = held.check->isChecked() ? 1 : 0;
        else
            textOf(record, held) = held.check->isChecked() ? QStringLiteral("On") : QStringLiteral("Off");
    }
}
