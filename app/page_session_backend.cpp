#include "app/page_session_backend.h"

#include "page/battery_display.h"
#include "page/device_links.h"
#include "page/ms_1_page.h"
#include "page/page_operations.h"
#include "page/profile_store.h"

namespace {

constexpr char kNoSuchProfile[] = "org.talvore.Talvore1.Error.NoSuchProfile";
constexpr char kImportRefused[] = "org.talvore.Talvore1.Error.ImportRefused";
constexpr char kEnding[] = "org.talvore.Talvore1.Error.Busy";

SessionApiBackend::Outcome Ending() {
    return {false, {}, QLatin1String(kEnding), QStringLiteral("talvore is ending")};
}

}  // namespace

SessionApiState PageSessionBackend::State() {
    SessionApiState state;
    CMS_1_Page* page = page_();
    if (page == nullptr) {
        return state;
    }
    page->Store().WithLock([&state](ProfileStore& store) {
        for (int i = 0; i < store.Count(); ++i) {
            state.profiles.append(ProfileName(store.At(i)));
        }
        if (const ProfileRecord* current = store.Current()) {
            state.currentProfile = ProfileName(*current);
        }
    });
    state.batteryLevel = page->Battery().Level();
    state.charging = page->Battery().Charging();
    state.connected = page->DeviceConnected() == 1;
    if (DeviceLinks* links = page->Links()) {
        const LinkState& words = links->Links();
        if (words.CablePresent()) {
            state.links.append(QStringLiteral("cable"));
        }
        if (words.ReceiverUsable()) {
            state.links.append(QStringLiteral("receiver"));
        }
        if (words.BleUsable()) {
            state.links.append(QStringLiteral("bluetooth"));
        }
    }
    return state;
}

SessionApiBackend::Outcome PageSessionBackend::SelectProfile(const QString& name) {
    CMS_1_Page* page = page_();
    if (page == nullptr || page->Operations() == nullptr) {
        return Ending();
    }
    const PageOperations::Outcome outcome = page->Operations()->SelectProfile(name);
    if (!outcome.done) {
        return {false, {}, QLatin1String(kNoSuchProfile), outcome.error};
    }
    return {true, outcome.name, {}, {}};
}

SessionApiBackend::Outcome PageSessionBackend::Apply() {
    CMS_1_Page* page = page_();
    if (page == nullptr || page->Operations() == nullptr) {
        return Ending();
    }
    page->Operations()->Apply();
    return {true, {}, {}, {}};
}

SessionApiBackend::Outcome PageSessionBackend::ImportProfile(const QString& path) {
    CMS_1_Page* page = page_();
    if (page == nullptr || page->Operations() == nullptr) {
        return Ending();
    }
    const PageOperations::Outcome outcome = page->Operations()->ImportProfile(NativePath(path));
    if (!outcome.done) {
        return {false, {}, QLatin1String(kImportRefused), outcome.error};
    }
    return {true, outcome.name, {}, {}};
}
