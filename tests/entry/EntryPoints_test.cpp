// The page entry points as a firewall: a VISA record whose page operations
// throw, every kind of exception, and nothing leaves or is written. The
// records here derive from CVISACall, so this program links the plug-in
// (PluginLoad_test.cpp loads it as a host does).
#include "EntryTestSupport.h"
#include "call/CVISACall.h"

namespace kovesk_test {
namespace {

using nKoVeskLog210::CVISACall;

#define KOVESK_LINKED(name) &::name,
const tEntryPoints kLinked = {KOVESK_ENTRY_POINTS(KOVESK_LINKED)};
#undef KOVESK_LINKED

// A record whose every page operation fills its out-arguments, then throws.
class ThrowingRecord : public CVISACall {
public:
    void SetPageInputParamData(std::vector<StringBase>& names, std::vector<StringBase>& values,
                               nKoVeskLog210::eFormatSpecifier) const override {
        names.emplace_back("partial");
        values.emplace_back("partial");
        raise();
    }
    void SetPageInputButtonData(eButtonState& attribute, eButtonState& event) const override {
        attribute = event = eButtonKnownName;
        raise();
    }
    void SetPageOutputParamData(std::vector<StringBase>& names, std::vector<StringBase>& values,
                                nKoVeskLog210::eFormatSpecifier format) const override {
        SetPageInputParamData(names, values, format);
    }
    void SetPageOutputRetvalData(StringBase& value, StringBase& description) const override {
        value = description = "partial";
        raise();
    }
    void SetPageBufferParamData(int, StringBase& heading, std::vector<StringBase>& lines) const override {
        heading = "partial";
        lines.emplace_back("partial");
        raise();
    }
    void SetPageBufferBufferData(std::vector<StringBase>& names) const override {
        names.emplace_back("partial");
        raise();
    }
    void OpenAttributeHelp() const override { raise(); }
    void OpenEventHelp() const override { raise(); }
};

TEST(EntryPointFirewall, ARecordThatThrowsFromEveryPageOperation) {
    nKoVeskHost::ResetServices();
    ThrowingRecord record;
    expectEveryKindContained(kLinked, record, true, 8);
    nKoVeskHost::ResetServices();
}

}  // namespace
}  // namespace kovesk_test
