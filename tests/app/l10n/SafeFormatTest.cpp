#include "app/l10n/SafeFormat.h"

#include <QLocale>

#include "tests/app/QtPrinters.h"

#include <gtest/gtest.h>

#include <climits>

using namespace app;

TEST(SafeFormat, FillsTheKnownSpecifiersInOrder) {
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(*SafeFormat::apply("%s  (%dx%d)  %s  %0.1f KB",
                                 {QString("beach.jpg"), 640LL, 480LL, QString("JPEG"), 45.31}),
              "beach.jpg  (640x480)  JPEG  45.3 KB");
    EXPECT_EQ(*SafeFormat::apply("%s %.3d.jpg", {QString("a"), 7LL}), "a 007.jpg");
    EXPECT_EQ(*SafeFormat::apply("%.3d", {-7LL}), "-007");
    EXPECT_EQ(*SafeFormat::apply("%d", {LLONG_MIN}), "-9223372036854775808");
    EXPECT_EQ(*SafeFormat::apply("100%% %.2f", {2LL}), "100% 2.00");
    EXPECT_EQ(*SafeFormat::apply("no placeholders", {QString("unused")}), "no placeholders");
    // A substituted text is never scanned again.
    EXPECT_EQ(*SafeFormat::apply("%s|%s", {QString("%d%s"), QString("b")}), "%d%s|b");
}

TEST(SafeFormat, RefusesFormatsThatDoNotFitTheirArguments) {
    EXPECT_FALSE(SafeFormat::apply("%s %s", {QString("one")})); // too few
    EXPECT_FALSE(SafeFormat::apply("%d", {QString("text")}));   // wrong type
    EXPECT_FALSE(SafeFormat::apply("%s", {5LL}));
    EXPECT_FALSE(SafeFormat::apply("%x", {5LL})); // unknown
    EXPECT_FALSE(SafeFormat::apply("%n%n%n", {5LL, 5LL, 5LL}));
    EXPECT_FALSE(SafeFormat::apply("%*d", {5LL}));
    EXPECT_FALSE(SafeFormat::apply("end %", {}));
    EXPECT_FALSE(SafeFormat::apply("%.f", {1.0}));
    EXPECT_FALSE(SafeFormat::apply("%.999999999f", {1.0})); // absurd precision
    EXPECT_EQ(SafeFormat::withFallback("%d %s %s", "File \"%s\" does not exist.", {QString("x")}),
              "File \"x\" does not exist.");
}
