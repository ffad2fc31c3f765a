// The date phrase table's words: English names and their Telugu words in the Latin transliteration.
#include "date/date_tables.h"

namespace tirmok {
namespace {

constexpr DateWordRow kWeekdays[] = {
    // English      abbreviation  Telugu
    {"SUNDAY",      "SUN",        "AdivAraM"},
    {"MONDAY",      "MON",        "sOmavAraM"},
    {"TUESDAY",     "TUE",        "maMgaLavAraM"},
    {"WEDNESDAY",   "WED",        "budhavAraM"},
    {"THURSDAY",    "THU",        "guruvAraM"},
    {"FRIDAY",      "FRI",        "SukravAraM"},
    {"SATURDAY",    "SAT",        "SanivAraM"},
};

constexpr DateWordRow kMonths[] = {
    {"JANUARY",     "JAN",        "janavari"},
    {"FEBRUARY",    "FEB",        "Pebruvari"},
    {"MARCH",       "MAR",        "mArci"},
    {"APRIL",       "APR",        "Epril"},
    {"MAY",         "MAY",        "mE"},
    {"JUNE",        "JUN",        "jUn"},
    {"JULY",        "JUL",        "julai"},
    {"AUGUST",      "AUG",        "AgasTu"},
    {"SEPTEMBER",   "SEP",        "sepTeMbar"},
    {"OCTOBER",     "OCT",        "akTObar"},
    {"NOVEMBER",    "NOV",        "navaMbar"},
    {"DECEMBER",    "DEC",        "DiseMbar"},
};

constexpr DateWordRow kDayParts[] = {
    {"AM",          nullptr,      "pUrvAhna"},
    {"PM",          nullptr,      "aparAhna"},
};

}  // namespace

std::span<const DateWordRow> WeekdayRows() { return kWeekdays; }
std::span<const DateWordRow> MonthRows() { return kMonths; }
std::span<const DateWordRow> DayPartRows() { return kDayParts; }

}  // namespace tirmok
