// The replacing operator new of the fault-injection programs, built into this
// one as well: this program's tests make chosen allocations fail.
#include "faults/allocation_failure.cpp"  // NOLINT(bugprone-suspicious-include)
