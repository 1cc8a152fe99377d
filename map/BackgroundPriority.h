// Lowers the calling thread's scheduling priority: a thread that composes a
// map beside the host's frames yields the processor to them (and to the
// renderer's own threads), so that on a machine with few cores the
// background work takes longer rather than the frames. The reader keeps its
// priority: the set call waits for it, and a local file read within that
// wait shows at the next frame.
#pragma once

void LowerThisThreadsPriority();
