#pragma once

// Registers the toolkit's RLE and JPEG decoders for the life of the object,
// so that compressed transfer syntaxes load. One instance at a time.
class CDicomCodecs {
public:
    CDicomCodecs();
    ~CDicomCodecs();
    CDicomCodecs(const CDicomCodecs&) = delete;
    CDicomCodecs& operator=(const CDicomCodecs&) = delete;
};
