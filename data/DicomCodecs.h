#pragma once

// The toolkit's RLE and JPEG decoders, so that compressed transfer syntaxes
// load. Registered for the life of the program (the main frame) or of a test.
void RegisterDicomCodecs();
void UnregisterDicomCodecs();

// Registers the decoders for the life of the object. One instance at a time.
class CDicomCodecs {
public:
    CDicomCodecs() { RegisterDicomCodecs(); }
    ~CDicomCodecs() { UnregisterDicomCodecs(); }
    CDicomCodecs(const CDicomCodecs&) = delete;
    CDicomCodecs& operator=(const CDicomCodecs&) = delete;
};
