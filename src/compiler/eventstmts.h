// Statement compilers for the module's events: the touch, port and timer set-ups and the event switches.
// Layer: compiler (plain C++, no Qt).
//
// Each is a row of the statement table (dispatch.h). A set-up that switches its event on binds it to the
// source's routine Touch_Event, Port_Event or Timer_Event through that routine's label token; a source
// without the routine fails the compilation, naming it. Mode and port words are read in any letter case,
// operand expressions are compiled as written. Errors leave only through the compiler's error exits or a
// CompileFault.
#pragma once

#include "compiler/compiler.h"

namespace kelmore {

// EventTouchSet mode, value: the touch event and its touch mode (models with a touch panel only).
void compileEventTouchSet(MacroCompiler& mc, const SourceLine& line);
// EventPortSet mode, port * mask = data (or <> data): the port event.
void compileEventPortSet(MacroCompiler& mc, const SourceLine& line);
// EventTimerSet mode, interval: the timer event and its interval.
void compileEventTimerSet(MacroCompiler& mc, const SourceLine& line);
// EventEnable, EventDisable: all events on or off.
void compileEventEnable(MacroCompiler& mc, const SourceLine& line);
void compileEventDisable(MacroCompiler& mc, const SourceLine& line);

}  // namespace kelmore
