#include "host/HostSideServices.h"

void nKoVeskHost::ResetServices() {
    SetInstallationRoot(kDefaultInstallationRoot);
    ResetMessageBoxes();
    SetLocaleLanguage(eKoVeskLocaleEnglish);
    ClearStatusDescriptors();
    ClearApiValues();
    SetExportIsSummary(false);
    ResetHelpRequests();
    ResetApiInfo();
    VeskClasses_ListCtrl_SetCurrentPropertyCall(nullptr);
}
