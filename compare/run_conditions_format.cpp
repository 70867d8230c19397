#include "compare/run_conditions_format.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <optional>

#include "results/csv.h"

namespace vt {

namespace {

void AppendShortest(std::string& out, const std::optional<double>& value)
{
    if (!value) return;
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, *value);
    out.append(text, result.ptr);
}

// "97.0", or blanks where the system said nothing; right-aligned in `width`.
void AppendPercent(std::string& out, const std::optional<double>& value, int width)
{
    char cell[32];
    if (value)
        std::snprintf(cell, sizeof cell, "%*.1f", width, *value);
    else
        std::snprintf(cell, sizeof cell, "%*s", width, "");
    out += "  ";
    out += cell;
}

}  // namespace

std::string ConditionsCsvHeader()
{
    return ",quiet,thread_cpu_share,other_cpu_before_pct,other_cpu_during_pct,steal_pct,"
           "clock_min_mhz,clock_max_mhz,governor,throttle_events,max_temperature_c,on_battery,"
           "disturbances";
}

void AppendConditionsCsv(std::string& out, const TRunConditions* c)
{
    if (!c) {
        out += ",,,,,,,,,,,,";
        return;
    }
    out += c->Quiet ? ",true" : ",false";
    for (const auto& value : {c->ThreadCpuShare, c->OtherCpuBeforePct, c->OtherCpuDuringPct,
                              c->StealPct, c->ClockMinMHz, c->ClockMaxMHz}) {
        out += ',';
        AppendShortest(out, value);
    }
    out += ',';
    if (c->Governor) out += CsvField(*c->Governor);
    out += ',';
    if (c->ThrottleEvents) out += std::to_string(*c->ThrottleEvents);
    out += ',';
    AppendShortest(out, c->MaxTemperatureC);
    out += ',';
    if (c->OnBattery) out += *c->OnBattery ? "true" : "false";
    out += ',';
    std::string disturbances;
    for (const std::string& d : c->Disturbances)
        disturbances += (disturbances.empty() ? "" : "; ") + d;
    out += CsvField(disturbances);
}

std::string ConditionsTextHeader()
{
    return "  Quiet  Thread%  Others%  Steal%";
}

void AppendConditionsText(std::string& out, const TRunConditions* c)
{
    out += c ? (c->Quiet ? "  yes  " : "  no   ") : "       ";
    if (!c) return;
    const std::optional<double> thread =
        c->ThreadCpuShare ? std::optional<double>(*c->ThreadCpuShare * 100) : std::nullopt;
    AppendPercent(out, thread, 7);
    AppendPercent(out, c->OtherCpuDuringPct, 7);
    AppendPercent(out, c->StealPct, 6);
}

}  // namespace vt
