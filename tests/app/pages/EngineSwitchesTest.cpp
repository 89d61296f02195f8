// The engine gets our switches whatever the user's value of the variable holds: kept as the
// engine splits it, less every switch that would set what ours set or undo it.

#include "app/pages/EngineSwitches.h"

#include <gtest/gtest.h>

namespace {

const QByteArray kOurs = "--host-resolver-rules=\"MAP * ~NOTFOUND\" "
                         "--force-webrtc-ip-handling-policy=disable_non_proxied_udp "
                         "--proxy-server=http://127.0.0.1:9 --proxy-bypass-list=<-loopback>";

TEST(EngineSwitches, OursWinOverTheUsers) {
    struct Row {
        const char* users;
        const char* kept; // what follows ours
    } rows[] = {
        {"", ""},
        {"--disable-gpu", " --disable-gpu"},
        {"  --disable-gpu   --lang=de  ", " --disable-gpu --lang=de"},
        {"--no-proxy-server", ""},
        {"-no-proxy-server --disable-gpu", " --disable-gpu"},
        {"--NO-PROXY-SERVER", ""},
        {"--proxy-server=direct:// --proxy-bypass-list=*", ""},
        {"--proxy-pac-url=file:///p.pac --proxy-auto-detect --winhttp-proxy-resolver", ""},
        {"--host-resolver-rules=\"MAP * 127.0.0.1\" --disable-gpu", " --disable-gpu"},
        {"\"--host-resolver-rules=MAP * 127.0.0.1\"", ""},
        {"--host-rules=\"MAP * 10.0.0.1\"", ""},
        {"--force-webrtc-ip-handling-policy=default --webrtc-ip-handling-policy=default", ""},
        // Not ours, though they start alike or hold our names as values.
        {"--proxy-serverx --lang=\"a b\"", " --proxy-serverx --lang=\"a b\""},
        {"--user-agent=--no-proxy-server", " --user-agent=--no-proxy-server"},
        // After a lone "--" the engine reads no switch: ours stand before it.
        {"-- --no-proxy-server", " --"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(app::EngineSwitches::merged(row.users).toStdString(),
                  (kOurs + row.kept).toStdString())
            << row.users;
}

TEST(EngineSwitches, SetTheVariableWhileTheyLive) {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-proxy-server --disable-gpu");
    {
        const app::EngineSwitches switches;
        EXPECT_EQ(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), kOurs + " --disable-gpu");
    }
    EXPECT_EQ(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), "--no-proxy-server --disable-gpu");
    qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    { const app::EngineSwitches switches; }
    EXPECT_FALSE(qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"));
}

} // namespace
