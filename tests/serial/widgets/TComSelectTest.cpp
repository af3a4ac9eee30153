#include "serial/widgets/TComSelect.h"

#include "platform/TStringList.h"

#include "FakeSerialPorts.h"
#include "TestNames.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using testing::ElementsAreArray;

// What the user can pick from; taking, applying and reading run through the combo box tests.
class Companion : public testing::Test {
protected:
    Companion() { select.PortSource = &ports; }

    FakeSerialPorts ports{{"COM1", "com2", "COM10"}};
    TStringList items{std::vector<std::string>{"stale"}};
    TComSelect select{&items};
};

struct ItemsCase {
    const char* name;
    TComProperty property;
    std::vector<std::string> items;
};

void PrintTo(const ItemsCase& c, std::ostream* out) {
    *out << c.name;
}

class CompanionItems : public Companion, public testing::WithParamInterface<ItemsCase> {};

TEST_P(CompanionItems, SelectPropertyFillsTheItems) {
    select.SelectProperty(GetParam().property);
    EXPECT_THAT(items.Lines(), ElementsAreArray(GetParam().items));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompanionItems,
    testing::Values(
        ItemsCase{"None", TComProperty::cpNone, {}},
        ItemsCase{"Port", TComProperty::cpPort, {"COM1", "COM10", "com2"}},
        ItemsCase{"BaudRate",
                  TComProperty::cpBaudRate,
                  {"Custom", "110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200",
                   "38400", "56000", "57600", "115200", "128000", "256000"}},
        ItemsCase{"DataBits", TComProperty::cpDataBits, {"5", "6", "7", "8"}},
        ItemsCase{"StopBits", TComProperty::cpStopBits, {"1", "1.5", "2"}},
        ItemsCase{"Parity", TComProperty::cpParity, {"None", "Odd", "Even", "Mark", "Space"}},
        ItemsCase{"FlowControl",
                  TComProperty::cpFlowControl,
                  {"Hardware", "Software", "None", "Custom"}}),
    CaseName());

} // namespace
