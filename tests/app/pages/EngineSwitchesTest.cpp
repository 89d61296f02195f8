// The engine gets our switches whatever the user's value of the variable holds: kept as the
// engine splits it, less every switch that would set what ours set or undo it.

#include "app/pages/EngineSwitches.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kOurs = "--host-resolver-rules=\"MAP * ~NOTFOUND\" "
                         "--force-webrtc-ip-handling-policy=disable_non_proxied_udp";

TEST(EngineSwitches, OursWinOverTheUsers) {
    struct Row {
        const char* users;
        const char* kept; // what follows ours
    } rows[] = {
        {"", ""},
        {"--disable-gpu", " --disable-gpu"},
        {"  --disable-gpu   --lang=de  ", " --disable-gpu --lang=de"},
        // A proxy of the user's own is as unreachable as any other address.
        {"--no-proxy-server --proxy-server=http://127.0.0.1:8080",
         " --no-proxy-server --proxy-server=http://127.0.0.1:8080"},
        {"--host-resolver-rules=\"MAP * 127.0.0.1\" --disable-gpu", " --disable-gpu"},
        {"\"--host-resolver-rules=MAP * 127.0.0.1\"", ""},
        {"--host-rules=\"MAP * 10.0.0.1\"", ""},
        {"-HOST-RESOLVER-RULES=x --disable-gpu", " --disable-gpu"},
        {"--force-webrtc-ip-handling-policy=default -force-webrtc-ip-handling-policy", ""},
        // Not ours, though they start alike or hold our names as values.
        {"--host-rulesx --lang=\"a b\"", " --host-rulesx --lang=\"a b\""},
        {"--user-agent=--host-rules", " --user-agent=--host-rules"},
        // After a lone "--" the engine reads no switch: ours stand before it.
        {"-- --host-rules=x", " --"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(app::EngineSwitches::merged(row.users).toStdString(),
                  (kOurs + row.kept).toStdString())
            << row.users;
}

TEST(EngineSwitches, SetTheVariableWhileTheyLive) {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--host-rules=x --disable-gpu");
    {
        const app::EngineSwitches switches;
        EXPECT_EQ(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), kOurs + " --disable-gpu");
    }
    EXPECT_EQ(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), "--host-rules=x --disable-gpu");
    qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    { const app::EngineSwitches switches; }
    EXPECT_FALSE(qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"));
}

} // namespace
