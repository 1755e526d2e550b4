// One header of src/, compiled over the links of one room's target
// (tests/layout/room_probes.cmake): it builds when that room may include
// the header and fails to when the header lies further along the road.
#include PEXILON_PROBE_HEADER
