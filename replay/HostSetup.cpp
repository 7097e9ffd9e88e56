#include "replay/HostSetup.h"

#include "host/HostSideServices.h"

namespace vesk::replay {

void SetUpHost(bool summary) {
    nKoVeskHost::ResetApiInfo();
    nKoVeskHost::ClearApiValues();
    nKoVeskHost::SetApiValue(eKoVeskApiVisa, "StatusPrefix", kVisaStatusPrefix);
    nKoVeskHost::SetExportIsSummary(summary);
}

}  // namespace vesk::replay
