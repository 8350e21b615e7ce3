// The macro language's vocabulary for the editor: operator, statement and function words and their hints.
// Layer: editor (plain C++, no Qt). Header-only, so the colourer and the window read it without linking.
//
// Entries are fixed; indices start at 0. A hint that begins "NNN:xx:" carries a help context number and an
// argument code before its text; the others are shown whole. The hints are held here, beside their words
// (statement i is the system's string 2300 + i, function i its string 2400 + i).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "common/models.h"

namespace kelmore::editor {

struct OpWord {
  std::string_view word;    // as coloured
  std::string_view padded;  // with the blanks used when a line is re-spaced
};

struct StmtWord {
  std::string_view word;    // as coloured and looked up
  std::string_view padded;  // with the blanks used when a line is re-spaced
  std::string_view hint;
};

struct FuncWord {
  std::string_view word;  // as coloured and looked up
  std::string_view hint;
};

// Colouring list 1.
inline constexpr std::array<OpWord, 10> kOpWords{{
    {"=", " ="},
    {"+", "+"},
    {"-", "-"},
    {"*", "*"},
    {"/", "/"},
    {"<>", "<> "},
    {"<", "< "},
    {">", "> "},
    {">=", ">="},
    {"<=", "<="},
}};

// Colouring list 2.
inline constexpr std::array<StmtWord, 34> kStmtWords{{
    {"Print", "Print ", "068:--:Print \"String\", or Print"},
    {"For", "For ", "036:--:For Variable = expresion to expresion Step Positive number"},
    {"Next", "Next ", "036:--:Next (Nesting depth is up to 16)"},
    {"End", "End ", "028:--:End (Close if, Selece Case,Sub)"},
    {"If", "If ", "035:--:If condition Then (Must be followed by End if. Else is optional.)"},
    {"Then", "Then ", "035:--:Then (If cannot be a singleline. Bust be followed by End if line.)"},
    {"Sub", "Sub ", "028:--:Sub (Define prosecure.)"},
    {"Exit", "Exit ", "036:--:Exit For (Exit for loop)"},
    {"Mod", "Mod ", "045:--:Mod."},
    {" Or", " Or ", "050:--:Or (Logical operation.) "},
    {"And", "And ", "046:--:And (Logical operation)"},
    {"Xor", "Xor ", "047:--:Xor (Exclusive or)"},
    {"To", "To ", "036:--:To (Ending number of For loop)"},
    {"GoTo", "GoTo ", "038:--:Goto label (Unconditional Jump)"},
    {"Else", "Else ", "035::--:Else "},
    {"Step", "Step ", "036:--:Step"},
    {"Continue", "Continue ", "036:--:Continue. (Goto next loop count of For loop) "},
    {"Start", "Start ", "029:--:Start()  (Program must start with Start() )"},
    {"Timer_Event", "Timer_Event ", "031:--:Timer_Event() (Name of procesure of timer event.)"},
    {"Port_Event", "Port_Event ", "031:--:Port_Event()  (Name of procesure of Comm port input)"},
    {"EventTimerSet", "EventTimerSet ", "062:--:EventTimerStart (Set up timer event)"},
    {"EventPortSet", "EventPortSet ", "061:--:EventPortSet (Setup port event)"},
    {"enable", "enable ", "017:--:Eneble"},
    {"Data", "Data ", "018:--:Data (Implant byte data into macro program.)"},
    {"VPeek(", "VPeek(", "077:--:VPeek (Peek VRAM data at specified address.)"},
    {" Peek(", " Peek(", "076:--:Peek (Peek macro code at specified address.)"},
    {"VPoke", "VPoke ", "074:--:VPoke (Write data at specified address of VRAM)"},
    {"Push", "Push ", "079:--:Push Variable(Max32)"},
    {"Pop", "Pop ", "080:--:Pop Variable"},
    {"Select", "Select ", "017:--:Select Case testexpression"},
    {"Case", "Case ", "017:--:Case expressionlist"},
    {"Poke", " Poke ", "poke: write into specified RAM."},
    {"Touch_Event", "Touch_Event ", "Touch_Evevnt"},
    {"EventTouchSet", "EventTouchSet ", "EventTimerSet "},
}};

// Colouring list 3.
inline constexpr std::array<FuncWord, 58> kFuncWords{{
    {"SetFont", "071:11:SetFont string"},
    {"KanjiOn", "064:00:KanjiOn"},
    {"KanjiOff", "063:00:KanjiOff"},
    {"Cursor", "057:22:Cursor x,y"},
    {"Cls", "055:00:Cls"},
    {"Com", "025:--:Com"},
    {"Port0", "024:--:Port0"},
    {"Port1", "024:--:Port1"},
    {"RecCount", "026:--:RecCount"},
    {"EventEnable", "060:00:EventEnable"},
    {"EventDisable", "059:00:EventDisable"},
    {"Sleep", "072:11:Sleep time"},
    {"PortDirection", "066:11:PortDirection io"},
    {"Pset", "067:23:Pset x,y,[color] "},
    {"Line", "065:46:Line x1,y1,x2,y2,[color],[B][F]"},
    {"CopyBmp", "056:56:CopyBmp memory,segment,offset,width,height,[y]"},
    {"Scroll", "070:23:Scroll shift,repetition,[speed]"},
    {"Blink", "054:04:Blink [repetition],[pattern],[time1],[time2]"},
    {"Curtain", "058:03:Curtain [direction],[speed],[pattern]"},
    {"Spring", "073:33:Spring [direction],[speed],address"},
    {"Random", "069:22:Random [speed],address"},
    {"SetUsrWin", "000:55:SetUsrWin win,left,top,width,height(win:1-4?"},
    {"SetFocusWin", "000:11:SetFocusWin win"},
    {"TpIN", "Number of Panel Touch in rec.Buffer"},
    {"TpX", "X-coordinate of Panel Touch\n"},
    {"TpY", "Y-coordinate of Panel Touch"},
    {"TrsCount", "Custom code"},
    {"ActSts", "Custom code"},
    {"TsR", "Touch Switch Register"},
    {"Ts1", "Touch Ststus 1"},
    {"Ts2", "Touch Status 2"},
    {"ReadAhd", "Com port Look ahead"},
    {"DipSw", "Dip Switch"},
    {"Jumper", "Jumper"},
    {"TargetMem", "Read Write target memory"},
    {"Sel16", "Set Variables to 16bit"},
    {"Sel32", "Set Variables to 32bit"},
    {"ComAHD", "Look ahead Com receive buffer"},
    {"Mem8", "Set memory access 8 bit"},
    {"Mem16", "Set memory access 16 bit"},
    {"Mem32", "Set memory access 32 bit"},
    {"MacroMem", "Macro memory"},
    {"VRam", "Video Ram"},
    {"GPRam", "General purpose RAM"},
    {"GPFRom", "General purpose Flash ROM"},
    {"ImgRam", "Bit Map Image RAM"},
    {"ImgFRom", "Bit Map Image Flash ROM"},
    {"MemSw", "Memory Switch"},
    {"PXSeries", "PX Display Module Series"},
    {"5x7", "5x7 dot font"},
    {"6x8", "6x8 dot font"},
    {"12x24", "8x16 dot font"},
    {"8x16", "12x24 dot font"},
    {"16x32", "16x32 dot font"},
    {"CjkOn", "2 byte font mode ON"},
    {"CjkOff", "2 byte font mode OFF"},
    {"Port4", "024:--:Port4 ( Port2 and 3)"},
    {"GPFRom2", "Image/GP-FROM2"},
}};

// The function words the main window copies into its target-memory keywords, in the order of kMemoryAreas
// (MacroMem, VRam, GPRam, GPFRom, GPFRom2, ImgRam, ImgFRom, MemSw).
inline constexpr std::array<std::size_t, kMemoryAreas.size()> kMemWordIndexes{41, 42, 43, 44, 57, 45, 46, 47};
static_assert(
    [] {
      for (std::size_t i = 0; i < kMemWordIndexes.size(); ++i)
        if (kFuncWords.at(kMemWordIndexes[i]).word != kMemoryAreas[i].name) return false;
      return true;
    }(),
    "the target-memory keywords stand in the order of the memory areas");

}  // namespace kelmore::editor
