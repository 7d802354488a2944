#include "data/DicomCodecs.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcrledrg.h>
#include <dcmtk/dcmjpeg/djdecode.h>

void RegisterDicomCodecs()
{
    // Every argument spelled out: their defaults have changed between
    // toolkit releases.
    DcmRLEDecoderRegistration::registerCodecs(OFFalse, OFFalse);
    DJDecoderRegistration::registerCodecs(EDC_photometricInterpretation, EUC_default, EPC_default, OFFalse, OFFalse,
                                          OFFalse);
}

void UnregisterDicomCodecs()
{
    DJDecoderRegistration::cleanup();
    DcmRLEDecoderRegistration::cleanup();
}
