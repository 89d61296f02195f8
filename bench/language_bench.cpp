// Load time of a "Language.xml" holding 50,000 plain texts and 20,000 texts that are set and
// then emptied again by a second, empty section. Should stay well under a second.
//
// Run by hand: build/bin/language_bench

#include "app/l10n/Localization.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

int main() {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Language.xml");
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Localization Language=\"xx\">\n"
                     "<Strings>\n";
    for (int i = 0; i < 50000; ++i)
        xml += "<Item Id=\"" + QByteArray::number(i) + "\"><![CDATA[Text " + QByteArray::number(i) +
               "]]></Item>\n";
    xml += "</Strings>\n<Messages>\n";
    for (int i = 0; i < 20000; ++i)
        xml += "<Item Id=\"" + QByteArray::number(i) + "\"><![CDATA[set]]><![CDATA[]]></Item>\n";
    xml += "</Messages>\n</Localization>\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size())
        return 1;
    file.close();

    app::TdsLocalization localization;
    QElapsedTimer timer;
    timer.start();
    if (!localization.LoadLanguage(path))
        return 1;
    std::printf("Language.xml: 50,000 texts + 20,000 set-then-emptied: %lld ms, %lld texts kept\n",
                static_cast<long long>(timer.elapsed()),
                static_cast<long long>(localization.Texts().size()));
    return 0;
}
