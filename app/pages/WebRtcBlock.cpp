#include "app/pages/WebRtcBlock.h"

namespace app {

const QString WebRtcBlock::kScriptName = QStringLiteral("fotrenza-no-webrtc");

namespace {

const char* const kVariable = "QTWEBENGINE_CHROMIUM_FLAGS";

} // namespace

WebRtcBlock::EngineSwitches::EngineSwitches()
    : previous_(qgetenv(kVariable)), wasSet_(qEnvironmentVariableIsSet(kVariable)) {
    // UDP only through a proxy (none speaks it), TCP only through the proxy, loopback
    // included: a port below 1024 on the loopback, which another user cannot listen on, so
    // every connection fails.
    static const QByteArray kSwitches =
        "--force-webrtc-ip-handling-policy=disable_non_proxied_udp "
        "--proxy-server=http://127.0.0.1:9 --proxy-bypass-list=<-loopback>";
    qputenv(kVariable, (previous_.isEmpty() ? QByteArray() : previous_ + ' ') + kSwitches);
}

WebRtcBlock::EngineSwitches::~EngineSwitches() {
    if (wasSet_)
        qputenv(kVariable, previous_);
    else
        qunsetenv(kVariable);
}

QWebEngineScript WebRtcBlock::pageScript() {
    QWebEngineScript script;
    script.setName(kScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(QStringLiteral(
        "(() => { for (const name of Object.getOwnPropertyNames(window)) "
        "if (/^(webkit)?RTC/.test(name)) try { delete window[name]; } catch (e) {} })();"));
    return script;
}

} // namespace app
