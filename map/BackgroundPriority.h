// Lowers the calling thread's scheduling priority: a thread that composes
// or reads a layout beside the host's frames yields the processor to them
// (and to the renderer's own threads), so that on a machine with few cores
// the background work takes longer rather than the frames.
#pragma once

void LowerThisThreadsPriority();
