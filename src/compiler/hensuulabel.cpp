// Symbol tables: register banks, system variables, labels and routines, with hash indexes beside them.
// Layer: compiler (plain C++, no Qt).
#include "compiler/hensuulabel.h"

#include <cmath>

#include "common/codetext.h"
#include "common/models.h"
#include "common/numbers.h"
#include "compiler/codeout.h"
#include "compiler/compiler.h"

namespace kelmore {

namespace {

constexpr std::string_view kGlobalPrefix = "global::";

}  // namespace

HensuuLabel::HensuuLabel(MacroCompiler& owner)
    : owner_(owner),
      labelToken_(kLabels),
      labelName_(kLabels),
      labelAddress_(kLabels),
      routineName_(kRoutines),
      routineParams_(kRoutines) {
  for (int s = 0; s < kStdRegs; ++s) stdRegName_[s] = std::string(1, static_cast<char>(65 + s));
  for (int s = 0; s < kIntRegs; ++s) intRegName_[s] = std::string(1, static_cast<char>(86 + s));
  for (int s = 0; s < kLabels; ++s) labelToken_[s] = labelTokenName(s);
}

void HensuuLabel::hensuuInit() {
  for (auto& b : stdRegBinding_) b.clear();
  for (auto& b : intRegBinding_) b.clear();
  for (auto& k : stdLastKey_) k.clear();
  for (auto& k : intLastKey_) k.clear();
  for (auto& k : stdTempScope_) k.clear();
  for (auto& k : intTempScope_) k.clear();
  holds_.clear();
  loopOwner_.clear();
  varIndex_.clear();

  // A model outside the table keeps no system variable of an earlier compile.
  sysVarCode_.clear();
  sysVarName_.clear();
  for (const SystemVariable& variable : modelInfo(owner_.host.modelName()).systemVariables) {
    sysVarCode_.emplace_back(1, variable.code);
    sysVarName_.push_back(std::string(kGlobalPrefix) + std::string(variable.name));
  }
  for (std::size_t s = 0; s < sysVarName_.size(); ++s)
    varIndex_.try_emplace(toLowerAscii(sysVarName_[s]), Binding{Bank::Sys, static_cast<std::int16_t>(s)});

  for (int s = 0; s < labelCount_; ++s) {
    labelName_[s].clear();
    labelAddress_[s].clear();
  }
  labelCount_ = 0;
  labelIndex_.clear();

  for (int s = 0; s < routineCount_; ++s) {
    routineName_[s].clear();
    routineParams_[s].clear();
  }
  routineCount_ = 0;
  routineIndex_.clear();
}

std::string HensuuLabel::keyOf(std::string_view name) const {
  if (name.find("::") != std::string_view::npos) return std::string(name);
  return owner_.compiler.currentScope + "::" + std::string(name);
}

const std::string& HensuuLabel::lowerKey(std::string_view name) const {
  keyBuffer_.clear();
  if (name.find("::") == std::string_view::npos) {
    const std::string& scope = owner_.compiler.currentScope;
    if (scope != scopeSeen_) {
      scopeSeen_ = scope;
      scopeLower_.clear();
      appendLowerAscii(scopeLower_, scope);
      scopeLower_ += "::";
    }
    keyBuffer_ += scopeLower_;
  }
  appendLowerAscii(keyBuffer_, name);
  return keyBuffer_;
}

const std::string& HensuuLabel::lowerGlobalKey(std::string_view name) const {
  keyBuffer_.assign(kGlobalPrefix);
  appendLowerAscii(keyBuffer_, name);
  return keyBuffer_;
}

const HensuuLabel::Binding* HensuuLabel::findKey(const std::string& lowerKey) const {
  auto it = varIndex_.find(lowerKey);
  return it == varIndex_.end() ? nullptr : &it->second;
}

std::string HensuuLabel::regOf(const Binding& binding) const {
  switch (binding.bank) {
    case Bank::Std:
      return stdRegName_[binding.slot];
    case Bank::Int:
      return intRegName_[binding.slot];
    case Bank::Sys:
      return sysVarCode_[binding.slot];
  }
  return std::string(kNo);
}

std::string HensuuLabel::getVarReg(std::string_view name) const {
  if (name.empty()) return std::string(kNo);
  if (const Binding* b = findKey(lowerKey(name))) return regOf(*b);
  // Temporaries belong to their own scope: a "_" name never falls back to a global one.
  if (name.front() == '_') return std::string(kNo);
  if (const Binding* b = findKey(lowerGlobalKey(name))) return regOf(*b);
  return std::string(kNo);
}

void HensuuLabel::overflow(std::string_view message) {
  if (tableOverflow) return;
  owner_.host.messageBox(message);
  tableOverflow = true;
}

namespace {
// A key "scope::_name" is the compiler's own temporary.
bool isTemporaryKey(std::string_view key) {
  const std::size_t sep = key.find("::");
  return sep != std::string_view::npos && sep + 2 < key.size() && key[sep + 2] == '_';
}
}  // namespace

void HensuuLabel::addVar(std::string_view name) {
  const bool eventBank = isEventRoutine(owner_.compiler.currentScope);
  if (getVarReg(name) != kNo) return;
  std::string key = keyOf(name);
  std::string lower = toLowerAscii(key);
  if (eventBank) {
    for (int s = 0; s < kIntRegs; ++s) {
      if (!bindIfFree(Bank::Int, s, key, lower)) continue;
      if (s > intHighWater) intHighWater = static_cast<std::int16_t>(s);
      return;
    }
    overflow("interupt variable over!");
  } else {
    for (int s = 0; s < kStdRegs; ++s) {
      if (!bindIfFree(Bank::Std, s, key, lower)) continue;
      if (s > stdHighWater) stdHighWater = static_cast<std::int16_t>(s);
      return;
    }
    overflow("standard variable over!");
  }
}

bool HensuuLabel::bindIfFree(Bank bank, int slot, std::string& key, std::string& lower) {
  const bool standard = bank == Bank::Std;
  std::string& binding = standard ? stdRegBinding_[slot] : intRegBinding_[slot];
  if (!binding.empty() || heldAgainst(bank, slot, lower)) return false;
  std::string& tempScope = standard ? stdTempScope_[slot] : intTempScope_[slot];
  const std::string_view scope = std::string_view(lower).substr(0, lower.find("::"));
  if (isTemporaryKey(lower)) {
    tempScope = tempScope.empty() || tempScope == scope ? std::string(scope) : "*";
  } else if (!tempScope.empty() && tempScope != scope) {
    return false;
  }
  varIndex_.try_emplace(lower, Binding{bank, static_cast<std::int16_t>(slot)});
  (standard ? stdLastKey_[slot] : intLastKey_[slot]) = std::move(lower);
  binding = std::move(key);
  return true;
}

bool HensuuLabel::heldAgainst(Bank bank, int slot, const std::string& lowerKey) const {
  if (isTemporaryKey(lowerKey)) return false;
  for (const Hold& hold : holds_) {
    if (hold.slot.bank != bank || hold.slot.slot != slot) continue;
    const std::string& last = bank == Bank::Std ? stdLastKey_[slot] : intLastKey_[slot];
    return last != lowerKey;
  }
  return false;
}

void HensuuLabel::holdRegister(char code, std::string_view owner) {
  Binding slot{};
  if (code >= 'A' && code < 'A' + kStdRegs)
    slot = {Bank::Std, static_cast<std::int16_t>(code - 'A')};
  else if (code >= 'V' && code < 'V' + kIntRegs)
    slot = {Bank::Int, static_cast<std::int16_t>(code - 'V')};
  else
    return;
  addHold(toLowerAscii(owner), slot);
}

void HensuuLabel::addHold(const std::string& lowerOwner, Binding slot) {
  for (const Hold& hold : holds_)
    if (hold.owner == lowerOwner && hold.slot.bank == slot.bank && hold.slot.slot == slot.slot) return;
  holds_.push_back({lowerOwner, slot});
}

void HensuuLabel::releaseHolds(std::string_view owner) {
  const std::string lower = toLowerAscii(owner);
  std::erase_if(holds_, [&](const Hold& hold) { return hold.owner == lower; });
  if (loopOwner_ == lower) loopOwner_.clear();
}

void HensuuLabel::setLoopOwner(std::string_view owner) {
  loopOwner_ = toLowerAscii(owner);
}

void HensuuLabel::widenLoop(std::string_view owner) {
  loopOwner_ = toLowerAscii(owner);
  std::vector<Hold> held;
  held.swap(holds_);
  for (const Hold& hold : held) addHold(loopOwner_, hold.slot);
}

void HensuuLabel::delVar(std::string_view name) {
  auto it = varIndex_.find(lowerKey(name));
  if (it == varIndex_.end()) {
    owner_.host.messageBox("destroy error,no variable");
    return;
  }
  const Binding b = it->second;
  if (!loopOwner_.empty() && b.bank != Bank::Sys && isTemporaryKey(it->first)) addHold(loopOwner_, b);
  varIndex_.erase(it);
  switch (b.bank) {
    case Bank::Std:
      stdRegBinding_[b.slot].clear();
      break;
    case Bank::Int:
      intRegBinding_[b.slot].clear();
      break;
    case Bank::Sys:
      sysVarName_[b.slot].clear();
      break;
  }
}

void HensuuLabel::clearTempVars() {
  auto clearIn = [this](auto& bindings, Bank bank) {
    for (std::size_t s = 0; s < bindings.size(); ++s) {
      std::string& binding = bindings[s];
      if (!isTemporaryKey(binding)) continue;
      if (!loopOwner_.empty()) addHold(loopOwner_, Binding{bank, static_cast<std::int16_t>(s)});
      varIndex_.erase(toLowerAscii(binding));
      binding.clear();
    }
  };
  clearIn(stdRegBinding_, Bank::Std);
  clearIn(intRegBinding_, Bank::Int);
}

int HensuuLabel::takeLabelSlot(std::string_view name) {
  if (labelCount_ >= kLabels) {
    overflow("label over!");
    return -1;
  }
  const int slot = labelCount_++;
  labelName_[slot] = std::string(name);
  labelIndex_.emplace(toLowerAscii(name), slot);
  return slot;
}

void HensuuLabel::addLabel(std::string_view name) {
  if (name.empty() || labelIndex_.count(toLowerAscii(name))) return;
  takeLabelSlot(name);
}

void HensuuLabel::setLabel(std::string_view name, std::string_view address) {
  if (name.empty()) return;
  auto it = labelIndex_.find(toLowerAscii(name));
  const int slot = it != labelIndex_.end() ? it->second : takeLabelSlot(name);
  if (slot < 0) return;
  labelAddress_[slot] = std::string(address);
}

std::vector<std::int32_t> HensuuLabel::labelAddressValues() const {
  std::vector<std::int32_t> values(static_cast<std::size_t>(labelCount_), -1);
  for (int s = 0; s < labelCount_; ++s) {
    if (labelAddress_[s].empty()) continue;
    std::int32_t value = 0;
    for (char c : labelAddress_[s]) {
      const int digit = hexDigitValue(c);
      if (digit < 0) break;
      value = value * 16 + digit;
    }
    values[static_cast<std::size_t>(s)] = value;
  }
  return values;
}

void HensuuLabel::setLabelAddressAt(int slot, std::string address) {
  if (slot < 0 || slot >= labelCount_) throw CompileFault("label slot out of range");
  labelAddress_[slot] = std::move(address);
}

std::string HensuuLabel::getLabelToken(std::string_view name) const {
  const int slot = labelSlot(name);
  return slot < 0 ? std::string(kNo) : labelToken_[static_cast<std::size_t>(slot)];
}

int HensuuLabel::labelSlot(std::string_view name) const {
  auto it = labelIndex_.find(toLowerAscii(name));
  return it == labelIndex_.end() ? -1 : it->second;
}

std::string HensuuLabel::getLabelValue(std::string_view name) const {
  auto it = labelIndex_.find(toLowerAscii(name));
  return it == labelIndex_.end() ? std::string(kNo) : labelAddress_[it->second];
}

int HensuuLabel::takeRoutineSlot(std::string_view name) {
  if (routineCount_ >= kRoutines) {
    overflow("routine over!");
    return -1;
  }
  const int slot = routineCount_++;
  routineName_[slot] = std::string(name);
  routineIndex_.emplace(toLowerAscii(name), slot);
  return slot;
}

void HensuuLabel::addRoutine(std::string_view name) {
  if (name.empty()) return;
  if (routineIndex_.count(toLowerAscii(name))) {
    owner_.host.messageBox("routine exist!");
    return;
  }
  takeRoutineSlot(name);
}

void HensuuLabel::setRoutine(std::string_view name, std::string_view params) {
  if (name.empty()) return;
  auto it = routineIndex_.find(toLowerAscii(name));
  const int slot = it != routineIndex_.end() ? it->second : takeRoutineSlot(name);
  if (slot < 0) return;
  routineParams_[slot] = std::string(params);
}

std::string HensuuLabel::getRoutineValue(std::string_view name) const {
  auto it = routineIndex_.find(toLowerAscii(name));
  return it == routineIndex_.end() ? std::string(kNo) : routineParams_[it->second];
}

std::string HensuuLabel::getRoutineName(std::string_view name) const {
  auto it = routineIndex_.find(toLowerAscii(name));
  return it == routineIndex_.end() ? std::string(kNo) : routineName_[it->second];
}

double HensuuLabel::hexVal(std::string_view text) {
  if (text.size() >= 2 && text[0] == '&' && (text[1] == 'h' || text[1] == 'H')) {
    // An "&h" literal is unsigned 32 bits here, so FFFF is 65535.
    std::uint64_t value = 0;
    int digits = 0;
    for (std::size_t i = 2; i < text.size() && digits < 8; ++i, ++digits) {
      const int d = hexDigitValue(text[i]);
      if (d < 0) break;
      value = (value << 4) | static_cast<unsigned>(d);
    }
    return static_cast<double>(value);
  }
  // Constants the compiler wrote are read like the expression compiler reads them (no locale, no silent
  // 0 for a number too large); other texts by their leading number.
  if (isNumberText(text)) return numberValue(text);
  return leadingNumber(text);
}

}  // namespace kelmore
