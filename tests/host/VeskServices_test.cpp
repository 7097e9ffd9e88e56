// The host's services: texts, formatting, paths, localisation, per-API
// settings and information, help and message observers, nesting depth.
#include "host/VeskServices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// Every test starts from the host's defaults; the services are process-wide.
class Services : public ::testing::Test {
protected:
    void SetUp() override { resetAll(); }
    void TearDown() override { resetAll(); }

    static void resetAll() {
        CKOVeskRegistry::ClearApiValues();
        CKOVeskLocalization::ClearStatusDescriptors();
        CKOVeskLocalization::SetLocaleLanguage(eKoVeskLocaleEnglish);
        CAppSettings::SetExportIsSummary(false);
        CVeskApiInfo::ResetAll();
        CVeskUtility::ResetMessageBoxes();
        CVeskUtility::SetInstallationRoot("/usr/share/kovesk");
        CHelpLauncher::ResetRequests();
    }
};

// --- texts and formatting ------------------------------------------------------

// Results of any length; the working buffer's edge must not cut or overrun.
TEST_F(Services, SprintfAnyLength) {
    for (const size_t length : {0u, 1u, 1022u, 1023u, 1024u, 1025u, 5000u}) {
        SCOPED_TRACE(length);
        const std::string text(length, 'q');
        StringBase result("previous content");
        CVeskUtility::sprintf(result, "%s", text.c_str());
        EXPECT_EQ(std::string(result.c_str(), result.length()), text);
    }
}

// The result may be one of the arguments: formatting ends before assigning.
TEST_F(Services, SprintfIntoAnArgument) {
    StringBase text("status");
    CVeskUtility::sprintf(text, "Return status: %s (%d)", text.c_str(), 7);
    EXPECT_STREQ(text.c_str(), "Return status: status (7)");
}

// --- paths ---------------------------------------------------------------------

// Root and relative path are joined by exactly one separator.
TEST_F(Services, FullPathJoinsRootAndRelative) {
    const auto path = [] {
        return CVeskUtility::FullVeskFilePathname("P.pxb/I.pxv",
                                                  CVeskUtility::eVeskFilePropertyPages);
    };
    EXPECT_STREQ(path().c_str(), "/usr/share/kovesk/P.pxb/I.pxv");
    CVeskUtility::SetInstallationRoot("/opt/host/");
    EXPECT_STREQ(path().c_str(), "/opt/host/P.pxb/I.pxv");
}

// --- message boxes and help: recorded for the host program to act on ----------

// Observers count every event when many threads report at once.
TEST_F(Services, ObserversCountAcrossThreads) {
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < kEach; ++i) {
                CVeskUtility::SimpleMessageBox(43000, eMessageBoxOkInformation);
                CHelpLauncher::Help(0, eHelpLauncherShowTopic, "topic", "file");
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(CVeskUtility::MessageBoxCount(), kThreads * kEach);
    EXPECT_EQ(CHelpLauncher::RequestCount(), kThreads * kEach);
}

// --- localisation ---------------------------------------------------------------

// Every VISA completion, warning and error code has a description of its
// own: one sentence, distinct from the others.
TEST_F(Services, EveryVisaStatusIsDescribed) {
    const uint32_t codes[] = {
        0x00000000, 0x3FFF0002, 0x3FFF0003, 0x3FFF0004, 0x3FFF0005, 0x3FFF0006, 0x3FFF007D,
        0x3FFF007E, 0x3FFF0080, 0x3FFF0098, 0x3FFF0099, 0x3FFF009A, 0x3FFF009B, 0x3FFF000C,
        0x3FFF0077, 0x3FFF0084, 0x3FFF0085, 0x3FFF0088, 0x3FFF0082, 0x3FFF00A9, 0xBFFF0000,
        0xBFFF000E, 0xBFFF000F, 0xBFFF0010, 0xBFFF0011, 0xBFFF0012, 0xBFFF0013, 0xBFFF0015,
        0xBFFF0016, 0xBFFF001B, 0xBFFF001C, 0xBFFF001D, 0xBFFF001E, 0xBFFF001F, 0xBFFF0020,
        0xBFFF0021, 0xBFFF0026, 0xBFFF0027, 0xBFFF0028, 0xBFFF0029, 0xBFFF002A, 0xBFFF0030,
        0xBFFF0034, 0xBFFF0035, 0xBFFF0036, 0xBFFF0037, 0xBFFF0038, 0xBFFF003A, 0xBFFF003B,
        0xBFFF003C, 0xBFFF003D, 0xBFFF003E, 0xBFFF003F, 0xBFFF0041, 0xBFFF0042, 0xBFFF004A,
        0xBFFF004E, 0xBFFF0051, 0xBFFF0054, 0xBFFF0057, 0xBFFF005F, 0xBFFF0060, 0xBFFF0067,
        0xBFFF006A, 0xBFFF006B, 0xBFFF006C, 0xBFFF0076, 0xBFFF0078, 0xBFFF0079, 0xBFFF007B,
        0xBFFF0080, 0xBFFF0081, 0xBFFF0083, 0xBFFF009C, 0xBFFF009D, 0xBFFF0070, 0xBFFF0071,
        0xBFFF0072, 0xBFFF002F, 0xBFFF0059, 0xBFFF0061, 0xBFFF0091, 0xBFFF009E, 0xBFFF009F,
        0xBFFF00A0, 0xBFFF00A1, 0xBFFF00A2, 0xBFFF006E, 0xBFFF0068, 0xBFFF0046, 0xBFFF002D,
        0xBFFF0039, 0xBFFF00A3, 0xBFFF00A4, 0xBFFF00A5, 0xBFFF00A6, 0xBFFF00A7, 0xBFFF00A8,
    };
    ASSERT_EQ(std::size(codes), 98u);
    std::set<std::string> seen;
    for (const uint32_t code : codes) {
        SCOPED_TRACE(code);
        StringBase text;
        ASSERT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(static_cast<int32_t>(code),
                                                                "VISA", text));
        const std::string sentence(text.c_str());
        EXPECT_GT(sentence.size(), 10u);
        EXPECT_EQ(sentence.back(), '.');
        EXPECT_TRUE(seen.insert(sentence).second) << "repeated: " << sentence;
    }
}

// A miss leaves the caller's text as it was.
TEST_F(Services, StatusDescriptorMisses) {
    const struct {
        const char* why;
        int32_t code;
        const char* prefix;
    } cases[] = {
        {"a code VISA does not define", 0x3FFF0001, "VISA"},
        {"a prefix without built-in texts", 0, "GPIB"},
        {"prefixes are compared exactly", 0, "visa"},
        {"no prefix", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        StringBase text("untouched");
        EXPECT_FALSE(CKOVeskLocalization::LookupStatusDescriptor(c.code, c.prefix, text));
        EXPECT_STREQ(text.c_str(), "untouched");
    }
}

// Added descriptions take precedence over the built-in ones and go away
// with ClearStatusDescriptors, which brings the built-in ones back.
TEST_F(Services, AddedStatusDescriptorsOverrideAndClear) {
    StringBase builtIn;
    ASSERT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(0, "VISA", builtIn));

    CKOVeskLocalization::SetStatusDescriptor("VISA", 0, "Alles gut.");
    CKOVeskLocalization::SetStatusDescriptor("GPIB", 5, "Fünf.");
    StringBase text;
    ASSERT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(0, "VISA", text));
    EXPECT_STREQ(text.c_str(), "Alles gut.");
    ASSERT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(5, "GPIB", text));
    EXPECT_STREQ(text.c_str(), "Fünf.");

    CKOVeskLocalization::ClearStatusDescriptors();
    ASSERT_TRUE(CKOVeskLocalization::LookupStatusDescriptor(0, "VISA", text));
    EXPECT_EQ(text, builtIn);
    EXPECT_FALSE(CKOVeskLocalization::LookupStatusDescriptor(5, "GPIB", text));
}

// --- per-API settings --------------------------------------------------------------

// Values belong to one (API type, key) pair: other types, including
// negative ones, and other keys do not see them.
TEST_F(Services, RegistryValuesPerApiType) {
    CKOVeskRegistry::SetApiValue(3, "StatusPrefix", "VISA");
    CKOVeskRegistry::SetApiValue(-7, "StatusPrefix", "NEG");
    CKOVeskRegistry::SetApiValue(3, "StatusPrefix", "VISA2");  // replaces
    const struct {
        int32_t apiType;
        const char* key;
        const char* expected;  // null: no value
    } cases[] = {
        {3, "StatusPrefix", "VISA2"},
        {-7, "StatusPrefix", "NEG"},
        {5, "StatusPrefix", nullptr},
        {3, "OtherKey", nullptr},
        {3, "statusprefix", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.apiType);
        StringBase value("untouched");
        const bool found = CKOVeskRegistry::GetApiValue(static_cast<EKoVeskApiType>(c.apiType),
                                                        c.key, value, true);
        EXPECT_EQ(found, c.expected != nullptr);
        EXPECT_STREQ(value.c_str(), c.expected ? c.expected : "untouched");
    }
}

TEST_F(Services, RegistryRemoveAndClear) {
    const auto has = [](int32_t apiType, const char* key) {
        StringBase value;
        return CKOVeskRegistry::GetApiValue(static_cast<EKoVeskApiType>(apiType), key, value,
                                            true);
    };
    CKOVeskRegistry::SetApiValue(3, "A", "1");
    CKOVeskRegistry::SetApiValue(3, "B", "2");
    CKOVeskRegistry::SetApiValue(4, "A", "3");
    CKOVeskRegistry::RemoveApiValue(3, "A");
    CKOVeskRegistry::RemoveApiValue(3, "missing");  // harmless
    EXPECT_FALSE(has(3, "A"));
    EXPECT_TRUE(has(3, "B"));
    EXPECT_TRUE(has(4, "A"));
    CKOVeskRegistry::ClearApiValues();
    EXPECT_FALSE(has(3, "B"));
    EXPECT_FALSE(has(4, "A"));
}

// Rendering threads read settings while the host changes them: every read
// sees one whole published value, never a mixture or a torn string.
// (Run under ThreadSanitizer to check the synchronisation itself.)
TEST_F(Services, SettingsReadWhileWritten) {
    constexpr int kReaders = 3;
    constexpr int kReadsEach = 20000;
    const std::string first(100, 'a');
    const std::string second(3, 'b');
    CKOVeskRegistry::SetApiValue(3, "StatusPrefix", first.c_str());
    std::atomic<int> finished{0};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < kReaders; ++t) {
        readers.emplace_back([&] {
            StringBase value;
            StringBase text;
            for (int i = 0; i < kReadsEach; ++i) {
                if (!CKOVeskRegistry::GetApiValue(eKoVeskApiVisa, "StatusPrefix", value, true) ||
                    (value != first.c_str() && value != second.c_str())) {
                    ++bad;
                }
                if (CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa) !=
                    CVeskApiInfo::GetVeskApiInfo(eKoVeskApiVisa)) {
                    ++bad;
                }
                (void)CAppSettings::GetExportIsSummary();
                if (!CKOVeskLocalization::LookupStatusDescriptor(0, "VISA", text)) ++bad;
            }
            ++finished;
        });
    }
    // The host keeps changing the settings until every reader is through.
    for (int i = 0; finished.load() < kReaders; ++i) {
        CKOVeskRegistry::SetApiValue(3, "StatusPrefix", (i % 2 ? first : second).c_str());
        CAppSettings::SetExportIsSummary(i % 2 == 0);
        CKOVeskLocalization::SetStatusDescriptor("VISA", 0, i % 2 ? "One." : "Two.");
    }
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(bad.load(), 0);
}

// --- per-API information -------------------------------------------------------

// Every int names an API family, and its record stays where it is.
TEST_F(Services, ApiInfoRecordPerType) {
    const int32_t types[] = {0, 3, 63, 64, 1000, -1, INT_MIN, INT_MAX};
    std::set<CVeskApiInfo*> records;
    for (const int32_t type : types) {
        SCOPED_TRACE(type);
        CVeskApiInfo* info = CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(type));
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info, CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(type)));
        EXPECT_TRUE(info->helpFilePath.empty());
        EXPECT_FALSE(info->hasValueNames);
        EXPECT_EQ(info->valueNameCallback, nullptr);
        records.insert(info);
    }
    EXPECT_EQ(records.size(), std::size(types));
}

bool nameNothing(const IKoVeskLogger*, int, eKoVeskLocale, bool, uint32_t, wchar_t*) {
    return false;
}

// ResetAll empties the records in place, inside and outside the range of
// types kept in the fixed array alike.
TEST_F(Services, ApiInfoResetAll) {
    const int32_t types[] = {3, 500, -2};
    std::vector<CVeskApiInfo*> records;
    for (const int32_t type : types) {
        records.push_back(CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(type)));
        records.back()->helpFilePath = "/help/file.chm";
        records.back()->hasValueNames = true;
        records.back()->valueNameCallback = nameNothing;
    }
    CVeskApiInfo::ResetAll();
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(types[i]);
        EXPECT_EQ(CVeskApiInfo::GetVeskApiInfo(static_cast<EKoVeskApiType>(types[i])),
                  records[i]);
        EXPECT_TRUE(records[i]->helpFilePath.empty());
        EXPECT_FALSE(records[i]->hasValueNames);
        EXPECT_EQ(records[i]->valueNameCallback, nullptr);
    }
}

// --- nesting depth ---------------------------------------------------------------

TEST_F(Services, IndentNeverBelowZero) {
    const struct {
        const char* why;
        std::vector<int> steps;  // positive: increment, negative: decrement
        int expected;
    } cases[] = {
        {"up and down again", {2, -1, -1}, 0},
        {"down from zero stays at zero", {-1}, 0},
        {"down past zero stops at zero", {1, -3, 2}, 2},
        {"nested levels add", {1, 2, 2}, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        CProcThreadInfo info;
        for (const int step : c.steps) {
            if (step > 0) {
                info.IncrementIndent(step);
            } else {
                info.DecrementIndent(-step);
            }
        }
        EXPECT_EQ(info.GetIndent(), c.expected);
    }
}

}  // namespace
