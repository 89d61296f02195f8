#include "platform/FileDialogFilter.h"

#include <gtest/gtest.h>

TEST(FileDialogFilter, ConvertsPairsAndDropsRepeatedPatterns) {
    const std::pair<const char*, const char*> cases[] = {
        {"Albums|*.zip", "Albums (*.zip)"},
        {"Images|*.jpg;*.jpeg;*.gif;*.bmp|All files|*.*",
         "Images (*.jpg *.jpeg *.gif *.bmp);;All files (*.*)"},
        {"JPEG images (*.jpg)|*.jpg", "JPEG images (*.jpg)"},
        {"Music (*.mp3; *.wav) |*.mp3; *.wav", "Music (*.mp3 *.wav)"},
        {"Bilder (ä) und (*.x)|*.x", "Bilder (ä) und (*.x)"},
        {"|*.txt", "*.txt (*.txt)"},
        {"Nothing|", ""},
        {"Nothing|;;|Text|*.txt", "Text (*.txt)"},
        {"Odd|*.a|Dangling", "Odd (*.a)"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(platform::fileDialogFilter(QString::fromUtf8(in)).toStdString(), out) << in;
}
