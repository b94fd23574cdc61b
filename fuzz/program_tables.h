// The tables of the three test programs, for the fuzz targets of the shared
// front-end: each program's settings, option table, settings keys, echo, limits
// rules, judged values and output layout.
#pragma once

#include "frontend/glazetrun/glazet_console.h"
#include "frontend/glazetrun/glazet_settings.h"
#include "frontend/glazetrun/glazet_verdicts.h"
#include "frontend/ostrelrun/ostrel_console.h"
#include "frontend/ostrelrun/ostrel_settings.h"
#include "frontend/ostrelrun/ostrel_verdicts.h"
#include "frontend/waferonrun/waferon_console.h"
#include "frontend/waferonrun/waferon_settings.h"
#include "frontend/waferonrun/waferon_verdicts.h"

namespace sensor::fuzz {

// Calls `visit(options, keys, echo)` once per program, each with settings of
// its own at their start values.
template <typename Visit>
void ForEachProgramSettings(Visit visit) {
  {
    waferonrun::WaferonSettings s;
    visit(waferonrun::WaferonOptions(s), waferonrun::WaferonSettingsKeys(s),
          [&s](const frontend::CommonOptions& o) { return waferonrun::EchoWaferonSettings(o, s); });
  }
  {
    glazetrun::GlazetSettings s;
    visit(glazetrun::GlazetOptions(s), glazetrun::GlazetSettingsKeys(s),
          [&s](const frontend::CommonOptions& o) { return glazetrun::EchoGlazetSettings(o, s); });
  }
  {
    ostrelrun::OstrelSettings s;
    visit(ostrelrun::OstrelOptions(s), ostrelrun::OstrelSettingsKeys(s),
          [&s](const frontend::CommonOptions& o) { return ostrelrun::EchoOstrelSettings(o, s); });
  }
}

// Calls `visit(rules, verdicts, layout)` once per program.
template <typename Visit>
void ForEachProgramLimits(Visit visit) {
  visit(waferonrun::WaferonLimitsRules(), waferonrun::WaferonVerdicts(), waferonrun::WaferonLayout());
  visit(glazetrun::GlazetLimitsRules(), glazetrun::GlazetVerdicts(), glazetrun::GlazetLayout());
  visit(ostrelrun::OstrelLimitsRules(), ostrelrun::OstrelVerdicts(), ostrelrun::OstrelLayout());
}

}  // namespace sensor::fuzz
