// The protocol tests' temporary-directory helper, built into this program as well: the
// scale tests read the dumps and trace files that an exchange leaves.
#include "protocol/temp_directory_override.cpp"  // NOLINT(bugprone-suspicious-include)
