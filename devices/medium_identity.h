// The facts that tell one medium from another, read through an open volume
// handle in one way wherever they are read: when the user is asked, and on
// the locked handle right before the first write. Read alike on both sides,
// a stick that Windows will not mount but whose boot sector is still signed
// gives the same serial number twice, and a swapped card cannot pass for the
// confirmed one by reading differently.
#pragma once

#ifdef _WIN32

#include "devices/volume_calls.h"
#include "format/medium_facts.h"

namespace fat32 {

// The disk's storage device number (and its device GUID where the system
// forms one), the media change count of IOCTL_STORAGE_CHECK_VERIFY, and the
// serial number parsed from the volume's first sector. `volume` must be open
// for reading. At the question, `askAgainAfterChange` asks for the count once
// more when the first query reports a change of medium (that failure is the
// report, and the next query answers the new count); on the handle that will
// write, the report stands, since any change after the question is a refusal.
MediumFacts ReadMediumFacts(VolumeCalls& calls, HANDLE volume, bool askAgainAfterChange = false);

}  // namespace fat32

#endif  // _WIN32
