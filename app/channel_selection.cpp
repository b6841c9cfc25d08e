#include "app/channel_selection.h"

#include "app/commands.h"
#include "app/deferred_command.h"
#include "app/feedback.h"
#include "app/program_state.h"
#include "app/ui_texts.h"
#include "core/converter_context.h"
#include "core/sonar_records.h"
#include "platform/window.h"
#include "res/resource_ids.h"

namespace {

constexpr int SELECTION_COUNT = SELECTION_LAST + 1;
constexpr int PAIR_TRACES = 2;
constexpr int SINGLE_TRACES = 1;

// By ChannelSelection: pairs 1 to 4, the subbottom, channels 1 to 8.
constexpr int CHANNEL_SET_BOX[SELECTION_COUNT] = {
    IDC_PAIR_1,    IDC_PAIR_2,    IDC_PAIR_3,    IDC_PAIR_4,    IDC_SUBBOTTOM, IDC_CHANNEL_1, IDC_CHANNEL_2,
    IDC_CHANNEL_3, IDC_CHANNEL_4, IDC_CHANNEL_5, IDC_CHANNEL_6, IDC_CHANNEL_7, IDC_CHANNEL_8,
};

bool isPair(int selection) {
  return selection >= SELECTION_FIRST_PAIR && selection < SELECTION_FIRST_PAIR + PAIR_COUNT;
}
bool isSingle(int selection) { return selection >= SELECTION_FIRST_SINGLE && selection <= SELECTION_LAST; }

void enableControl(HWND window, int controlId, bool enable) {
  EnableWindow(GetDlgItem(window, controlId), enable ? TRUE : FALSE);
}

void mark(HWND window, int controlId, bool checked) {
  CheckDlgButton(window, controlId, checked ? BST_CHECKED : BST_UNCHECKED);
}

void clearReverseSamples(HWND window, ConverterContext* context) {
  context->reverseSamples = 0;
  mark(window, IDC_REVERSE_SAMPLES, false);
}

// A chosen set the accepted file does not offer is dropped to none.
void offerSet(HWND window, ConverterContext* context, int selection, bool offered) {
  enableControl(window, CHANNEL_SET_BOX[selection], offered);
  if (offered || context->channelSelection != selection) return;
  context->channelSelection = SELECTION_NONE;
  postCommand(window, CMD_SHOW_CHANNEL_SELECTION);
}

bool pairOffered(const ConverterContext& context, int pair) {
  const int port = 2 * pair;
  const int starboard = port + 1;
  return context.channelPresent[port] != 0 && context.channelPresent[starboard] != 0 &&
         context.channelType[port] == vsk::TYPE_PORT && context.channelType[starboard] == vsk::TYPE_STARBOARD;
}

bool subbottomOffered(const ConverterContext& context) {
  for (int k = 0; k < MAX_CHANNELS; ++k) {
    if (context.channelPresent[k] != 0 && context.channelType[k] == vsk::TYPE_SUBBOTTOM) return true;
  }
  return false;
}

}  // namespace

int selectionForBox(int controlId) {
  for (int selection = 0; selection < SELECTION_COUNT; ++selection) {
    if (CHANNEL_SET_BOX[selection] == controlId) return selection;
  }
  return SELECTION_NONE;
}

int channelForSelection(const ConverterContext& context, int selection) {
  if (isPair(selection)) return context.pairChannel[selection - SELECTION_FIRST_PAIR];
  if (selection == SELECTION_SUBBOTTOM) return context.subbottomChannel;
  return selection - SELECTION_FIRST_SINGLE;
}

int tracesForSelection(int selection) { return isPair(selection) ? PAIR_TRACES : SINGLE_TRACES; }

void showChannelSelection(HWND window, ConverterContext* context) {
  mark(window, IDC_REVERSE_SAMPLES, context->reverseSamples != 0);
  for (int selection = SELECTION_FIRST_SINGLE; selection <= SELECTION_LAST; ++selection) {
    mark(window, CHANNEL_SET_BOX[selection], false);
  }
  for (int selection = SELECTION_FIRST_PAIR; selection <= SELECTION_SUBBOTTOM; ++selection) {
    mark(window, CHANNEL_SET_BOX[selection], false);
  }
  const int selection = context->channelSelection;
  if (isSingle(selection)) {
    mark(window, CHANNEL_SET_BOX[selection], true);
    return;
  }
  if (selection == SELECTION_NONE) {
    beep();
  } else {
    mark(window, CHANNEL_SET_BOX[selection], true);
  }
  clearReverseSamples(window, context);
}

void updateChannelSets(HWND window, ConverterContext* context) {
  // A run reads channelSelection: the rules must not drop it meanwhile.
  if (context->busy != 0) {
    programState().channelSetsHeldBack = true;
    return;
  }
  if (context->sonarFileChecked == 1) {
    for (int k = 0; k < MAX_CHANNELS; ++k) {
      enableControl(window, CHANNEL_SET_BOX[SELECTION_FIRST_SINGLE + k], context->channelPresent[k] != 0);
    }
    enableControl(window, IDC_REVERSE_SAMPLES, true);
    for (int pair = 0; pair < PAIR_COUNT; ++pair) {
      offerSet(window, context, SELECTION_FIRST_PAIR + pair, pairOffered(*context, pair));
    }
    offerSet(window, context, SELECTION_SUBBOTTOM, subbottomOffered(*context));
  }
  setStatus(window, STATUS_READY);
}
