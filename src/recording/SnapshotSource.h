#pragma once

#include "recording/OrderedFileWriter.h"

// The picture of the window for one snapshot. Capture() runs on the window's thread at the
// moment of the event and takes the picture as it is then; the encoder it returns turns that
// picture into PNG bytes later, possibly on the writer's thread.
class SnapshotSource {
public:
    virtual ~SnapshotSource() = default;
    virtual FileEncoder Capture() = 0;
};
