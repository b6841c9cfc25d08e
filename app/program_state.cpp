#include "app/program_state.h"

#include <optional>

namespace {

// Rebuilt in place: the context holds an atomic and cannot be assigned.
std::optional<ProgramState>& storage() {
  static std::optional<ProgramState> state{std::in_place};
  return state;
}

}  // namespace

ProgramState& programState() { return *storage(); }

ConverterContext& converterContext() { return storage()->context; }

void resetProgramState() { storage().emplace(); }
