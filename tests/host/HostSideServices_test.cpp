// The host program's and the tests' hooks into the services.
#include "host/HostSideServices.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "host/CAppSettings.h"
#include "host/CHelpLauncher.h"
#include "host/CKOCall.h"
#include "host/CKOVeskRegistry.h"
#include "host/CVeskApiInfo.h"
#include "host/CVeskUtility.h"
#include "host/CurrentPropertyCall.h"

namespace {

bool namesNothing(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t, wchar_t*) {
    return false;
}

// What a plug-in and the host program can see of every service, in one line.
std::string visibleState() {
    std::ostringstream state;
    StringBase text("none");
    const bool described = CKOVeskLocalization::LookupStatusDescriptor(0, "VISA", text);
    StringBase prefix("none");
    CKOVeskRegistry::GetApiValue(eKoVeskApiVisa, "StatusPrefix", prefix, true);
    state << CVeskUtility::FullVeskFilePathname("p", CVeskUtility::eVeskFilePropertyPages).c_str()
          << " | boxes " << nKoVeskHost::MessageBoxCount() << " | help "
          << nKoVeskHost::HelpRequestCount() << " | locale "
          << CKOVeskLocalization::GetLocaleLanguage() << " | status 0 " << described << ' '
          << text.c_str() << " | prefix " << prefix.c_str() << " | summary "
          << CAppSettings::GetExportIsSummary() << " | current "
          << (VeskClasses_ListCtrl_GetCurrentPropertyCall() != nullptr);
    for (const int32_t apiType : {3, 1000}) {
        const CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(apiType));
        state << " | api " << apiType << " '" << info->helpFilePath.c_str() << "' "
              << info->hasValueNames << ' ' << (info->valueNameCallback != nullptr);
    }
    return state.str();
}

// Every test and every replay starts from ResetServices: nothing a previous
// one set or caused may show through any service.
TEST(HostSideServices, ResetServicesLeavesTheHostAsAFreshProcessHasIt) {
    CKOCall call;
    nKoVeskHost::SetInstallationRoot("/opt/other");
    CVeskUtility::SimpleMessageBox(kTextHelpNotAvailable, eMessageBoxOkInformation);
    CHelpLauncher::Help(0, eHelpLauncherShowTopic, "topic", "visa.chm");
    nKoVeskHost::SetLocaleLanguage(eKoVeskLocaleGerman);
    nKoVeskHost::SetStatusDescriptor("VISA", 0, "Alles gut.");
    nKoVeskHost::SetApiValue(eKoVeskApiVisa, "StatusPrefix", "VISA");
    nKoVeskHost::SetExportIsSummary(true);
    VeskClasses_ListCtrl_SetCurrentPropertyCall(&call);
    for (const int32_t apiType : {3, 1000}) {
        CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(EKoVeskApiType(apiType));
        info->helpFilePath = "visa.chm";
        info->hasValueNames = true;
        info->valueNameCallback = namesNothing;
    }

    nKoVeskHost::ResetServices();
    EXPECT_EQ(visibleState(),
              "/usr/share/kovesk/p | boxes 0 | help 0 | locale 0 | status 0 1 The operation "
              "completed successfully. | prefix none | summary 0 | current 0 | api 3 '' 0 0 | "
              "api 1000 '' 0 0");
}

}  // namespace
