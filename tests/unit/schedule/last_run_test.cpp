// The stored last run: written in one fixed form, read in it and in the user's regional
// form that older versions wrote.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "schedule/last_run.h"

namespace keldra::schedule {
namespace {

using platform::DateFormats;
using platform::DateTime;

const DateFormats kUnitedStates{"M/d/yyyy", "h:mm:ss tt", "AM", "PM"};
const DateFormats kGerman{"dd.MM.yyyy", "HH:mm:ss", "", ""};

TEST(LastRun, IsWrittenInOneFixedFormWithLeadingZeros) {
    EXPECT_EQ(FormatLastRun({2026, 3, 7, 9, 5, 4}), "2026-03-07 09:05:04");
    EXPECT_EQ(FormatLastRun({2026, 12, 31, 23, 59, 59}), "2026-12-31 23:59:59");
    // Whatever the user's settings, the written form reads back unchanged.
    for (const DateFormats& user : {kUnitedStates, kGerman}) {
        const DateTime when{2027, 1, 2, 0, 0, 1};
        EXPECT_EQ(ParseLastRun(FormatLastRun(when), user), when);
    }
}

TEST(LastRun, TheFixedFormIsReadOnlyWhenWholeAndADateThatExists) {
    EXPECT_EQ(ParseLastRun("2024-02-29 13:45:10", kGerman), (DateTime{2024, 2, 29, 13, 45, 10}));
    for (const char* bad : {"2025-02-29 13:45:10", "2026-13-01 10:00:00", "2026-04-31 10:00:00",
                            "2026-04-30 24:00:00", "2026-04-30 10:60:00", "2026-04-30 10:00",
                            "2026-04-30 10:00:00 x", "2026-4-30 10:00:00", "", "garbage"}) {
        EXPECT_EQ(ParseLastRun(bad, kGerman), std::nullopt) << bad;
    }
}

TEST(LastRun, TheOlderRegionalFormIsStillRead) {
    EXPECT_EQ(ParseLastRun("3/7/2026 9:05:04 PM", kUnitedStates), (DateTime{2026, 3, 7, 21, 5, 4}));
    EXPECT_EQ(ParseLastRun("12/31/2026 12:00:00 AM", kUnitedStates),
              (DateTime{2026, 12, 31, 0, 0, 0}))
        << "12 AM is midnight";
    EXPECT_EQ(ParseLastRun("12/31/2026 12:30:00 pm", kUnitedStates),
              (DateTime{2026, 12, 31, 12, 30, 0}))
        << "12 PM is noon; designators in any case";
    EXPECT_EQ(ParseLastRun("07.03.2026 21:05:04", kGerman), (DateTime{2026, 3, 7, 21, 5, 4}));
    // Midnight was written as the date alone.
    EXPECT_EQ(ParseLastRun("07.03.2026", kGerman), (DateTime{2026, 3, 7, 0, 0, 0}));
    EXPECT_EQ(ParseLastRun("3/7/2026", kUnitedStates), (DateTime{2026, 3, 7, 0, 0, 0}));
}

TEST(LastRun, PicturesWithShortYearsQuotesAndDesignatorsFirst) {
    const DateFormats twoDigitYear{"dd/MM/yy", "HH:mm:ss", "", ""};
    EXPECT_EQ(ParseLastRun("07/03/26 08:00:00", twoDigitYear), (DateTime{2026, 3, 7, 8, 0, 0}));
    EXPECT_EQ(ParseLastRun("07/03/95 08:00:00", twoDigitYear), (DateTime{1995, 3, 7, 8, 0, 0}));

    const DateFormats quoted{"yyyy'年'M'月'd'日'", "H'h'mm", "", ""};
    EXPECT_EQ(ParseLastRun("2026年3月7日 9h05", quoted), (DateTime{2026, 3, 7, 9, 5, 0}));

    const DateFormats designatorFirst{"yyyy-MM-dd", "tt h:mm:ss", "AM", "PM"};
    EXPECT_EQ(ParseLastRun("2026-03-07 PM 1:02:03", designatorFirst),
              (DateTime{2026, 3, 7, 13, 2, 3}));

    // One letter of the designator.
    const DateFormats shortDesignator{"M/d/yyyy", "h:mm t", "AM", "PM"};
    EXPECT_EQ(ParseLastRun("3/7/2026 1:02 P", shortDesignator), (DateTime{2026, 3, 7, 13, 2, 0}));
}

TEST(LastRun, TextThatFitsNeitherFormIsNotRead) {
    // The regional format changed since the value was written.
    EXPECT_EQ(ParseLastRun("3/7/2026 9:05:04 PM", kGerman), std::nullopt);
    EXPECT_EQ(ParseLastRun("07.03.2026 21:05:04", kUnitedStates), std::nullopt);
    // Dates that do not exist, hours a 12-hour clock does not have.
    EXPECT_EQ(ParseLastRun("31.04.2026 10:00:00", kGerman), std::nullopt);
    EXPECT_EQ(ParseLastRun("3/7/2026 13:05:04 PM", kUnitedStates), std::nullopt);
    // Month names are not read.
    const DateFormats monthNames{"dd-MMM-yy", "HH:mm:ss", "", ""};
    EXPECT_EQ(ParseLastRun("07-Mar-26 10:00:00", monthNames), std::nullopt);
    EXPECT_EQ(ParseLastRun("07.03.2026 21:05:04 and more", kGerman), std::nullopt);
    EXPECT_EQ(ParseLastRun("", kUnitedStates), std::nullopt);
}

}  // namespace
}  // namespace keldra::schedule
