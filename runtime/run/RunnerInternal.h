// Shared by the runner's own files.
#pragma once

// One event pass over the event's object list (ascending object index, each
// object's instances in creation order, skipping instances created during the
// pass), then removal of destroyed instances and re-sorting. True when a new
// room was requested and the step must end.
bool Runner_EventPass(int type, int subtype);
// The same over the room list (Perform_EventAll), for room and game events.
bool Runner_EventPassAll(int type, int subtype);
