#pragma once
// One DICOM file read with the toolkit so that what a damaged header declares
// never costs more memory than the file holds.
//
// Read from a file, the toolkit leaves every value longer than its read length
// in the file until it is used, and refuses a value declared longer than the
// rest of the file before it allocates anything for it. Two kinds of file would
// lose that: one whose marker differs from "DICM" in case (the toolkit knows
// only the upper-case marker, and parsed from memory it allocates whatever an
// element declares), and a deflated data set (read through the decompressor,
// likewise). Both are read from an ordinary copy in a temporary file instead:
// the marker in upper case, a deflated data set inflated behind a meta group
// that says so. The copy is removed with the data set that may still load
// values from it.
//
// Before an image is built from a data set, DeclaredImageFits compares the
// size its header declares with the pixel data that are there, since the
// toolkit allocates the declared size in full before it finds the data short.
#include <memory>
#include <string>

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcfilefo.h>

enum class DicomMarker { none, exact, otherCase };

// What bytes 128 to 131 of the file hold: "DICM", the same in another case,
// or anything else (also for a file that cannot be read that far).
DicomMarker ReadDicomMarker(const std::string& path);

class CDicomFile {
public:
    CDicomFile();
    ~CDicomFile();
    CDicomFile(const CDicomFile&) = delete;
    CDicomFile& operator=(const CDicomFile&) = delete;

    // Reads the file with the transfer syntax detected, group lengths
    // unchanged, long values deferred and the read mode detected; with a stop
    // tag, the top level only up to that tag. False when the toolkit refuses
    // the file, or when it could be read only by trusting its declared
    // lengths. A second read replaces the first. Values stored with VR UN
    // come back with their dictionary VR, and 32-bit big-endian pixel data
    // as the values the file holds.
    bool Read(const std::string& path, const DcmTagKey& stop = DCM_UndefinedTagKey);

    DcmFileFormat& File() { return *m_pFile; }
    DcmDataset* Dataset() { return m_pFile->getDataset(); }

    // Hands the file object over with every value it may still need in
    // memory, so that it outlives this object. Null before a successful read.
    std::unique_ptr<DcmFileFormat> Release();

private:
    void RemoveCopy();
    std::unique_ptr<DcmFileFormat> m_pFile;
    std::string m_strCopy; // the temporary copy being read from, if any
};

// Whether the pixel data hold the image the header declares: for uncompressed
// data every frame's bytes; for encapsulated data a fragment per frame, no more
// bytes than the codec can expand them to (RLE), and the size the stream itself
// states (JPEG). True as well when the header lacks what the image needs: the
// toolkit then refuses the image on its own, at no cost.
bool DeclaredImageFits(DcmDataset& dataset);
