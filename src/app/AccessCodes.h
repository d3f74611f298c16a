#pragma once

// The codes of the password dialog, in one place. Only the developer code changes anything:
// it raises the access level to 2 for the rest of the run. The other two are accepted and
// close the dialog without effect. Whole strings, compared exactly.
namespace access_codes {

inline constexpr char CodeA[] = "7";
inline constexpr char Developer[] = "582";
inline constexpr char CodeC[] = "4";

} // namespace access_codes
