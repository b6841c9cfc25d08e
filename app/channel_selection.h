// The channel choice: which box stands for which ChannelSelection, what a
// selection converts, its marks (CMD_SHOW_CHANNEL_SELECTION) and which sets
// the accepted file offers (CMD_UPDATE_CHANNEL_SETS). Main thread.
#pragma once

#include "platform/win_types.h"

struct ConverterContext;

// The ChannelSelection of a pair, subbottom or channel box; SELECTION_NONE
// for any other id.
int selectionForBox(int controlId);

// The sub-channel a selection (0 to 12) converts (for a pair: its port
// channel), NO_SUBCHANNEL when the file has none; and its traces per ping.
int channelForSelection(const ConverterContext& context, int selection);
int tracesForSelection(int selection);

// CMD_SHOW_CHANNEL_SELECTION: every mark from the context; Reverse Samples
// Order is undone unless a single channel is chosen (a beep with none).
void showChannelSelection(HWND window, ConverterContext* context);

// CMD_UPDATE_CHANNEL_SETS: once a file is accepted, enables the boxes its
// channels allow and drops a chosen pair or subbottom it lacks; " Ready".
void updateChannelSets(HWND window, ConverterContext* context);
