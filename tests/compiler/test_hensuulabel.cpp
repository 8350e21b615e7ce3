// Symbol table tests: register banks and scopes, system variables per model, labels, routines, hexVal.
// Layer: tests (plain C++).
#include <gtest/gtest.h>

#include "compiler/compiler.h"
#include "fake_host.h"

namespace kelmore {
namespace {

// "<prefix><k>", built by appending: GCC 12 warns (falsely) about "literal" + string in release builds.
std::string numbered(const char* prefix, int k) {
  std::string name = prefix;
  name += std::to_string(k);
  return name;
}

using testkit::FakeHost;

class Tables : public ::testing::Test {
 protected:
  void init(const std::string& model = "PX-5200") {
    host.model = model;
    t.hensuuInit();
    t.stdHighWater = t.intHighWater = -1;
    t.tableOverflow = false;
  }
  void scope(const std::string& name) { mc.compiler.currentScope = name; }
  FakeHost host;
  MacroCompiler mc{host};
  HensuuLabel& t = mc.hensuulabel;
};

TEST_F(Tables, routine_scope_hides_globals_and_reaches_them) {
  init();
  t.addVar("x");
  scope("Foo");
  t.addVar("x");  // the global x is visible: nothing new
  EXPECT_EQ(t.getVarReg("x"), "A");
  t.addVar("y");
  scope("Bar");
  t.addVar("y");
  EXPECT_EQ(t.getVarReg("y"), "C");
  scope("Foo");
  EXPECT_EQ(t.getVarReg("Y"), "B");  // letter case does not count
  EXPECT_EQ(t.stdRegBinding()[1], "Foo::y");
  EXPECT_EQ(t.getVarReg("Bar::y"), "C");
  EXPECT_EQ(t.stdHighWater, 2);
}

TEST_F(Tables, event_routines_take_event_registers_in_any_letter_case) {
  for (const char* name : {"Timer_Event", "PORT_EVENT", "touch_event"}) {
    init();
    scope(name);
    for (int k = 0; k < 5; ++k) t.addVar(numbered("v", k));
    EXPECT_EQ(t.getVarReg("v0"), "V") << name;
    EXPECT_EQ(t.getVarReg("v4"), "Z") << name;
    EXPECT_TRUE(host.boxes.empty());
    t.addVar("v5");
    EXPECT_EQ(t.getVarReg("v5"), "no");
    EXPECT_EQ(host.boxes, std::vector<std::string>{"interupt variable over!"});
    EXPECT_TRUE(t.tableOverflow);
    EXPECT_EQ(t.intHighWater, 4);
    EXPECT_EQ(t.stdHighWater, -1);
    host.boxes.clear();
  }
}

TEST_F(Tables, overflow_box_is_shown_once_per_compilation) {
  init();
  for (int k = 0; k < 21; ++k) t.addVar(numbered("v", k));
  EXPECT_TRUE(host.boxes.empty());
  t.addVar("v21");
  t.addVar("v22");
  for (int k = 0; k < HensuuLabel::kLabels + 1; ++k) t.addLabel(numbered("l", k));
  EXPECT_EQ(host.boxes, std::vector<std::string>{"standard variable over!"});
}

TEST_F(Tables, label_table_overflow) {
  init();
  for (int k = 0; k < HensuuLabel::kLabels; ++k) t.addLabel(numbered("l", k));
  EXPECT_TRUE(host.boxes.empty());
  t.setLabel("one_more", "0012");
  EXPECT_EQ(host.boxes, std::vector<std::string>{"label over!"});
  EXPECT_EQ(t.getLabelToken("one_more"), "no");
  EXPECT_EQ(t.getLabelToken("l4095"), "L0FFF");
}

TEST_F(Tables, routine_table_overflow_and_repeat) {
  init();
  t.addRoutine("Start");
  t.addRoutine("START");
  EXPECT_EQ(host.boxes, std::vector<std::string>{"routine exist!"});
  EXPECT_FALSE(t.tableOverflow);
  for (int k = 1; k < HensuuLabel::kRoutines; ++k) t.addRoutine(numbered("r", k));
  t.setRoutine("extra", "a");
  EXPECT_EQ(host.boxes.back(), "routine over!");
  EXPECT_TRUE(t.tableOverflow);
  EXPECT_EQ(t.getRoutineName("start"), "Start");
}

struct SysCase {
  const char* model;
  const char* name;
  const char* reg;
};
const SysCase kSysCases[] = {
    {"PX-B", "TpIN", "7"},      {"PX-B", "TsR", "7"},           {"PX-B", "ts2", "9"},
    {"PX-5100", "TpIN", "no"},  {"PX-5100", "TsR", "no"},       {"PX-5100", "ActSts", "["},
    {"PX-5200B", "DipSw", "2"}, {"PX-5200B", "Jumper", "no"},   {"PX-6203", "Jumper", "2"},
    {"QT-R5xxP", "Port4", "4"}, {"QT-R500", "Port4", "no"},     {"PX-*", "ComAHD", "*"},
    {"WMR-STD", "Com", "@"},    {"PX-D", "TimerInterval", "?"}, {"PX-D", "Port1", "no"},
};
class SysVars : public Tables, public ::testing::WithParamInterface<SysCase> {};
TEST_P(SysVars, resolve_per_model) {
  init(GetParam().model);
  EXPECT_EQ(t.getVarReg(GetParam().name), GetParam().reg);
}
INSTANTIATE_TEST_SUITE_P(hensuulabel, SysVars, ::testing::ValuesIn(kSysCases), [](const auto& info) {
  std::string n = std::string(info.param.model) + "_" + info.param.name;
  for (char& c : n)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
});

TEST_F(Tables, system_variable_rows_in_slot_order) {
  init("PX-5200B");
  EXPECT_EQ(t.sysVarCode(), (std::vector<std::string>{"0", "1", "2", "*", "@", "%", "?"}));
  EXPECT_EQ(t.sysVarName().front(), "global::Port0");
  EXPECT_EQ(t.sysVarName().back(), "global::TimerInterval");
}

TEST_F(Tables, unknown_model_keeps_no_system_variable_of_an_earlier_compile) {
  init("PX-5200");
  ASSERT_EQ(t.getVarReg("Port0"), "0");
  init("PX-9999");
  EXPECT_TRUE(t.sysVarCode().empty());
  EXPECT_EQ(t.getVarReg("Port0"), "no");
}

TEST_F(Tables, delVar_frees_registers_and_removes_system_variables) {
  init();
  t.addVar("a");
  t.addVar("b");
  t.delVar("A");
  t.addVar("c");  // reuses the freed slot
  EXPECT_EQ(t.getVarReg("c"), "A");
  t.delVar("Com");
  EXPECT_EQ(t.getVarReg("Com"), "no");
  EXPECT_TRUE(host.boxes.empty());
  t.delVar("never");
  EXPECT_EQ(host.boxes, std::vector<std::string>{"destroy error,no variable"});
  EXPECT_FALSE(t.tableOverflow);
}

TEST_F(Tables, clearTempVars_frees_every_underscore_name_of_every_scope) {
  init();
  t.addVar("_sp0");
  scope("Foo");
  t.addVar("_sp0");
  t.addVar("keep");
  scope("Timer_Event");
  t.addVar("_sleep");
  t.clearTempVars();
  EXPECT_EQ(t.getVarReg("_sleep"), "no");
  scope("global");
  EXPECT_EQ(t.getVarReg("_sp0"), "no");
  EXPECT_EQ(t.getVarReg("Foo::keep"), "C");
  EXPECT_EQ(t.stdRegBinding()[0], "");
}

TEST_F(Tables, temporaries_resolve_only_in_their_own_scope) {
  init();
  t.addVar("_sp0");  // global temporary in A
  scope("Foo");
  EXPECT_EQ(t.getVarReg("_sp0"), "no");
  t.addVar("_sp0");
  EXPECT_EQ(t.getVarReg("_sp0"), "B");
  EXPECT_EQ(t.getVarReg("global::_sp0"), "A");
}

TEST_F(Tables, labels_by_name) {
  init();
  t.addLabel("Loop");
  EXPECT_EQ(t.getLabelValue("loop"), "");
  t.setLabel("LOOP", "0012");
  t.setLabel("Other", "0012");
  t.setLabel("Third", "00AB");
  EXPECT_EQ(t.getLabelToken("loop"), "L0000");
  EXPECT_EQ(t.getLabelToken("third"), "L0002");
  EXPECT_EQ(t.labelSlot("THIRD"), 2);
  EXPECT_EQ(t.labelSlot("none"), -1);
  t.setLabelAddressAt(0, "0020");
  EXPECT_EQ(t.getLabelValue("loop"), "0020");
  EXPECT_EQ(t.getLabelValue("other"), "0012");
  EXPECT_THROW(t.setLabelAddressAt(3, "0000"), CompileFault);
}

TEST_F(Tables, empty_text_is_never_a_name) {
  init();
  t.addLabel("x");
  t.addRoutine("Start");
  EXPECT_EQ(t.getLabelToken(""), "no");
  EXPECT_EQ(t.getLabelValue(""), "no");
  EXPECT_EQ(t.labelSlot(""), -1);
  EXPECT_EQ(t.getRoutineName(""), "no");
  EXPECT_EQ(t.getRoutineValue(""), "no");
  EXPECT_EQ(t.getVarReg(""), "no");
}

TEST_F(Tables, routines_keep_their_first_spelling_and_parameters) {
  init();
  t.addRoutine("Draw");
  t.setRoutine("DRAW", "x,y");
  t.setRoutine("Fresh", "");
  EXPECT_EQ(t.getRoutineName("draw"), "Draw");
  EXPECT_EQ(t.getRoutineValue("draw"), "x,y");
  EXPECT_EQ(t.getRoutineValue("Fresh"), "");
  EXPECT_EQ(t.getRoutineValue("Missing"), "no");
}

TEST(HexVal, reads_decimal_and_unsigned_hex) {
  EXPECT_EQ(HensuuLabel::hexVal("&h8000"), 32768);
  EXPECT_EQ(HensuuLabel::hexVal("&HFFFF"), 65535);
  EXPECT_EQ(HensuuLabel::hexVal("&hFFFFFFFF"), 4294967295.0);
  EXPECT_EQ(HensuuLabel::hexVal("12"), 12);
  EXPECT_EQ(HensuuLabel::hexVal("-3"), -3);
  EXPECT_EQ(HensuuLabel::hexVal(""), 0);
  EXPECT_EQ(HensuuLabel::hexVal("abc"), 0);
  EXPECT_EQ(HensuuLabel::hexVal("2.5"), 2.5);
  // A constant too large for a double is a fault, never a silent 0.
  EXPECT_THROW(HensuuLabel::hexVal("1E+309"), CompileFault);
}

TEST(RoutineKinds, special_names_in_any_letter_case) {
  EXPECT_EQ(routineKind("START"), RoutineKind::Start);
  EXPECT_EQ(routineKind("timer_EVENT"), RoutineKind::TimerEvent);
  EXPECT_EQ(routineKind("Port_Event"), RoutineKind::PortEvent);
  EXPECT_EQ(routineKind("TOUCH_event"), RoutineKind::TouchEvent);
  EXPECT_EQ(routineKind("Starter"), RoutineKind::Other);
  EXPECT_TRUE(isEventRoutine("port_event"));
  EXPECT_FALSE(isEventRoutine("start"));
}

}  // namespace
}  // namespace kelmore
