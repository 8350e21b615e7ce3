// Symbol tables of one compilation: variables bound to registers, system variables, labels, routines.
// Layer: compiler (plain C++, no Qt).
//
// The slot tables keep the layout of the language's design (21 standard registers "A".."U", 5 event
// registers "V".."Z", the model's system variables, 4096 labels, 1024 routines; a free slot is an empty
// text), while hash indexes beside them make every look-up constant time. Names and keys are compared
// without regard to letter case. Look-ups answer "no" when nothing is found; the empty text is never a
// name. Overflows show their box once per compilation and set tableOverflow; the driver ends the
// compilation after the line.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/codetext.h"
#include "common/text.h"

namespace kelmore {

class MacroCompiler;

inline constexpr std::string_view kNo = "no";

class HensuuLabel {
 public:
  static constexpr int kStdRegs = 21;
  static constexpr int kIntRegs = 5;
  static constexpr int kLabels = kLabelSlots;
  static constexpr int kRoutines = 1024;

  explicit HensuuLabel(MacroCompiler& owner);

  // Resets every table for a new compilation and loads the system variables of the current model name;
  // a model outside the table leaves no system variable at all. High-water marks and the overflow flag
  // are the driver's.
  void hensuuInit();

  // Declares a variable in the bank of the current scope, unless it already resolves.
  void addVar(std::string_view name);
  // Register code ("A".."Z" or a system code) or "no". Names beginning with "_" resolve only in the
  // current scope (or as the complete key given).
  std::string getVarReg(std::string_view name) const;
  // Frees the variable's register or removes the system variable; "destroy error,no variable" otherwise.
  void delVar(std::string_view name);
  // Frees every register whose variable name begins with "_".
  void clearTempVars();
  // Keeps register `code` ("A".."Z") from every named variable but the one it was last bound to, until
  // releaseHolds(owner). A For loop holds the registers its head recomputes on every pass, so no variable
  // first assigned in its body lands on one. Other codes are ignored.
  void holdRegister(char code, std::string_view owner);
  // Ends the holds of `owner`, and its loop (setLoopOwner) with them.
  void releaseHolds(std::string_view owner);
  // While a loop is open (owner not empty), the register a temporary frees is held for that loop too: the
  // body's code runs again on every pass and would overwrite a variable given the register. Temporaries
  // live within one statement, so holds never keep a register from a temporary.
  void setLoopOwner(std::string_view owner);
  // The open loop's owner (lower case), empty when none.
  const std::string& loopOwner() const { return loopOwner_; }
  // Makes `owner` the open loop and hands it every hold: a label line opens a loop that a later GoTo may
  // close, around any loop already open.
  void widenLoop(std::string_view owner);

  void addLabel(std::string_view name);
  void setLabel(std::string_view name, std::string_view address);
  std::string getLabelToken(std::string_view name) const;
  // The label's slot (0..4095), -1 when the name is no label.
  int labelSlot(std::string_view name) const;
  std::string getLabelValue(std::string_view name) const;

  void addRoutine(std::string_view name);
  void setRoutine(std::string_view name, std::string_view params);
  std::string getRoutineValue(std::string_view name) const;
  std::string getRoutineName(std::string_view name) const;

  // Value of a decimal number or of an "&h" literal read as unsigned 32 bits ("&hFFFF" is 65535); 0 for
  // a text that does not start with a number.
  static double hexVal(std::string_view text);

  // --- the tables, read-only (the lists, the listing and the optimiser read them) ---
  const std::array<std::string, kStdRegs>& stdRegName() const { return stdRegName_; }
  const std::array<std::string, kStdRegs>& stdRegBinding() const { return stdRegBinding_; }
  const std::array<std::string, kIntRegs>& intRegName() const { return intRegName_; }
  const std::array<std::string, kIntRegs>& intRegBinding() const { return intRegBinding_; }
  const std::vector<std::string>& sysVarCode() const { return sysVarCode_; }
  const std::vector<std::string>& sysVarName() const { return sysVarName_; }
  const std::vector<std::string>& labelToken() const { return labelToken_; }
  const std::vector<std::string>& labelName() const { return labelName_; }
  const std::vector<std::string>& labelAddress() const { return labelAddress_; }
  const std::vector<std::string>& routineName() const { return routineName_; }
  const std::vector<std::string>& routineParams() const { return routineParams_; }
  // The byte address of each label slot in use (labels are never freed, so the slots in use come first),
  // -1 for a label without one yet.
  std::vector<std::int32_t> labelAddressValues() const;
  // Moves the label of slot `slot` (a slot in use) to `address` (4 hex digits); for the optimiser.
  void setLabelAddressAt(int slot, std::string address);

  // Counters of the current compilation (set by the driver).
  std::int16_t stdHighWater = -1;
  std::int16_t intHighWater = -1;
  bool tableOverflow = false;

 private:
  enum class Bank : std::uint8_t { Std, Int, Sys };
  struct Binding {
    Bank bank;
    std::int16_t slot;
  };
  std::string keyOf(std::string_view name) const;
  // The lower-case key of `name` in the current scope, built in a reused buffer (look-ups are hot).
  const std::string& lowerKey(std::string_view name) const;
  const std::string& lowerGlobalKey(std::string_view name) const;
  const Binding* findKey(const std::string& lowerKey) const;
  std::string regOf(const Binding& binding) const;
  void overflow(std::string_view message);
  // Whether slot `slot` of `bank` is held for a variable other than `lowerKey`.
  bool heldAgainst(Bank bank, int slot, const std::string& lowerKey) const;
  // Adds a hold unless the same one exists: the list stays as short as the registers and open loops.
  void addHold(const std::string& lowerOwner, Binding slot);
  // Binds slot `slot` of `bank` to `key`; false when the slot is taken or kept from the key.
  bool bindIfFree(Bank bank, int slot, std::string& key, std::string& lower);
  int takeLabelSlot(std::string_view name);
  int takeRoutineSlot(std::string_view name);

  MacroCompiler& owner_;
  std::array<std::string, kStdRegs> stdRegName_;
  std::array<std::string, kStdRegs> stdRegBinding_;
  std::array<std::string, kIntRegs> intRegName_;
  std::array<std::string, kIntRegs> intRegBinding_;
  // The lower-case key each register was last bound to; kept when the register is freed.
  std::array<std::string, kStdRegs> stdLastKey_;
  std::array<std::string, kIntRegs> intLastKey_;
  // The lower-case scope whose temporaries have used each register, "*" for several, empty for none. A
  // routine's temporary code may run again whenever that routine runs (called from anywhere), so such a
  // register never goes to a named variable of another scope, which could be live at that moment.
  std::array<std::string, kStdRegs> stdTempScope_;
  std::array<std::string, kIntRegs> intTempScope_;
  struct Hold {
    std::string owner;  // lower case
    Binding slot;
  };
  std::vector<Hold> holds_;
  std::string loopOwner_;  // lower case; empty when no loop is open
  std::vector<std::string> sysVarCode_;
  std::vector<std::string> sysVarName_;
  std::vector<std::string> labelToken_;
  std::vector<std::string> labelName_;
  std::vector<std::string> labelAddress_;
  std::vector<std::string> routineName_;
  std::vector<std::string> routineParams_;
  int labelCount_ = 0;
  int routineCount_ = 0;
  // lower-case key -> first binding; lower-case name -> slot.
  std::unordered_map<std::string, Binding> varIndex_;
  std::unordered_map<std::string, int> labelIndex_;
  std::unordered_map<std::string, int> routineIndex_;
  mutable std::string keyBuffer_;
  mutable std::string scopeSeen_;
  mutable std::string scopeLower_;
};

}  // namespace kelmore
