#include "replay/HostSetup.h"

#include "host/VeskServices.h"

namespace vesk::replay {

void SetUpHost(bool summary) {
    CVeskApiInfo::ResetAll();
    CKOVeskRegistry::ClearApiValues();
    CKOVeskRegistry::SetApiValue(eKoVeskApiVisa, "StatusPrefix", kVisaStatusPrefix);
    CAppSettings::SetExportIsSummary(summary);
}

}  // namespace vesk::replay
