#include "app/l10n/TextTable.h"

#include "tests/app/QtPrinters.h"

#include <gtest/gtest.h>

using namespace app;

namespace {

QStringList rendered(const TextTable& table) {
    QStringList out;
    for (const TextTable::Line& line : table.lines())
        out << line.key + u'=' + line.value;
    return out;
}

} // namespace

// Removals only mark lines; order, lookups and re-adds must stay right across the sweeps that
// follow, including one forced by removals outnumbering the live lines.
TEST(TextTableTest, RemovalsKeepOrderAndLookups) {
    TextTable table;
    for (int i = 0; i < 10; ++i)
        table.set(QString("K%1").arg(i), QString::number(i));
    table.set("k3", "");      // removed whatever the case
    table.set("K7", "seven"); // replaced in place
    EXPECT_FALSE(table.contains("K3"));
    EXPECT_EQ(table.value("k8"), "8");
    for (int i = 0; i < 10; i += 2)
        table.remove(QString("K%1").arg(i)); // more removed than live: swept
    table.set("K3", "back");                 // re-added at the end
    EXPECT_EQ(table.size(), 5);
    EXPECT_EQ(table.value("K9"), "9");
    EXPECT_EQ(rendered(table), QStringList({"K1=1", "K5=5", "K7=seven", "K9=9", "K3=back"}));
    table.remove("K5");
    EXPECT_EQ(table.value("k7"), "seven");
    EXPECT_EQ(rendered(table), QStringList({"K1=1", "K7=seven", "K9=9", "K3=back"}));
    table.set("K7", "");
    EXPECT_EQ(table.value("K3"), "back");
    EXPECT_EQ(table.value("K7", "gone"), "gone");
}
