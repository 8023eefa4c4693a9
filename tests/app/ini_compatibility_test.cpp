// tonvel.ini was QSettings' before it was ours: each reads what the other writes, for texts and
// lists of any characters, and a change of ours leaves the other keys as QSettings reads them.
#include <gtest/gtest.h>

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <fstream>
#include <map>
#include <random>

#include "performance/ini_text.h"

namespace tonvel {
namespace {

bool isText(const QVariant& value) {
    return value.typeId() == QMetaType::QString;
}

// `value` as a text or a list, as `like` is.
QVariant kindOf(const QVariant& like, const QVariant& value) {
    return isText(like) ? QVariant(value.toString()) : QVariant(value.toStringList());
}

QVariant readIni(const IniText& ini, const std::string& key, const QVariant& like) {
    QStringList list;
    for (const auto& item : ini.list(key)) list << QString::fromStdString(item);
    return isText(like) ? QVariant(QString::fromStdString(ini.text(key))) : QVariant(list);
}

void writeIni(IniText& ini, const std::string& key, const QVariant& value) {
    std::vector<std::string> items;
    for (const auto& item : value.toStringList()) items.push_back(item.toStdString());
    isText(value) ? ini.setText(key, items[0]) : ini.setList(key, items);
}

TEST(IniCompatibility, QSettingsAndIniTextReadEachOthersFiles) {
    const QStringList pieces =
        QString::fromUtf8("a|Z|0|7|x1| |,|;|=|\"|\\|@|#|[|]|%|/|\t|\n|\r|\x01|\x7F|é|€|🎹")
            .split(u'|');
    const std::string keys[] = {"MidiDevice/Name", "MidiInput/Connected", "General/x", "Top",
                                "Odd Group/key \xC3\xA9"};
    std::mt19937 random(23);
    const auto text = [&] {
        QString s;
        for (auto n = random() % 6; n > 0; --n) s += pieces[random() % pieces.size()];
        return s;
    };
    const auto values = [&] {
        std::map<std::string, QVariant> chosen;
        for (const auto& key : keys) {
            QStringList list;
            for (auto n = random() % 4; n > 0; --n) list << text();
            if (random() % 4 != 0) chosen[key] = random() % 2 ? QVariant(text()) : QVariant(list);
        }
        return chosen;
    };
    QTemporaryDir dir;
    for (int round = 0; round < 120; ++round) {
        const QString theirs = dir.filePath(QStringLiteral("qt%1.ini").arg(round));
        const QString ours = dir.filePath(QStringLiteral("ours%1.ini").arg(round));
        auto expected = values();
        {
            QSettings qt(theirs, QSettings::IniFormat);
            for (const auto& [key, value] : expected)
                qt.setValue(QString::fromStdString(key), value);
        }
        std::ifstream in(theirs.toStdString(), std::ios::binary);
        IniText ini(std::string(std::istreambuf_iterator<char>(in), {}));
        for (const auto& [key, value] : expected)
            EXPECT_EQ(readIni(ini, key, value), value) << round << " " << key << "\n" << ini.text();

        for (const auto& [key, value] : values()) writeIni(ini, key, expected[key] = value);
        std::ofstream(ours.toStdString(), std::ios::binary) << ini.text();
        const QSettings qt(ours, QSettings::IniFormat);
        for (const auto& [key, value] : expected)
            EXPECT_EQ(kindOf(value, qt.value(QString::fromStdString(key))), value)
                << round << " " << key << "\n"
                << ini.text();
    }
}

}  // namespace
}  // namespace tonvel
