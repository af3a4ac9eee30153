#include "Mbcs.h"

#include "Conversions.h"

#include <langinfo.h>

std::string DegreeSign;

int CodePageOfCodeset(std::string_view codeset) {
    std::string name;
    for (const char c : UpperCaseAscii(codeset)) {
        if (c != '-' && c != '_') {
            name.push_back(c);
        }
    }
    struct Entry {
        std::string_view name;
        int codePage;
    };
    static constexpr Entry table[] = {
        {"UTF8", 65001},         {"ISO88591", 1252}, {"ISO885915", 1252}, {"CP1252", 1252},
        {"WINDOWS1252", 1252},   {"SHIFTJIS", 932},  {"SJIS", 932},       {"CP932", 932},
        {"WINDOWS31J", 932},     {"GBK", 936},       {"GB2312", 936},     {"EUCCN", 936},
        {"CP936", 936},          {"BIG5", 950},      {"BIG5HKSCS", 950},  {"CP950", 950},
        {"ANSIX3.41968", 20127}, {"ASCII", 20127},   {"USASCII", 20127},
    };
    for (const Entry& entry : table) {
        if (entry.name == name) {
            return entry.codePage;
        }
    }
    return 0;
}

std::string DegreeSignForCodePage(int codePage) {
    switch (codePage) {
    case 932:
        return "\x81\x8B";
    case 936:
        return "\xA1\xE3";
    case 950:
        return "\xA2\x58";
    case 65001:
        return "\xC2\xB0";
    default:
        return "\xB0";
    }
}

void InitDegreeSign() {
    DegreeSign = DegreeSignForCodePage(CodePageOfCodeset(nl_langinfo(CODESET)));
}

void ClearDegreeSign() {
    DegreeSign.clear();
}
