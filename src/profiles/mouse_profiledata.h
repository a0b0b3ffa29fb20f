// The mouse's profile blocks: DPI stages ("DPIStages"), pointer options ("SystemStages"), the
// report-rate stage ("ReportStages") and the sensor corrections ("CorrectInfo", read only).
#pragma once

#include <vector>

#include "profiles/basic_profiledata.h"

namespace qx {

class CMouseProfiledata : public CBasicProfiledata {
  public:
    // The stages read are merged over the stored list: stages of an earlier profile beyond
    // the ones read stay in the list.
    std::vector<DpiStageRecord> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStageRecord>& stages);
    int GetActiveStage() const { return activeStage_; }
    void SetActiveStage(int stage);
    MouseSystemRecord GetMouseSystem();
    void SetMouseSystem(uint32_t word1, uint32_t word2, uint32_t word3);
    std::vector<CorrectRecord> GetCorrectList();

  private:
    std::vector<DpiStageRecord> stages_;
    int activeStage_ = 0;
    MouseSystemRecord system_;
    std::vector<CorrectRecord> corrections_;
};

}  // namespace qx
