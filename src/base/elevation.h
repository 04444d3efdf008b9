#pragma once
// How the process's rights came about, as its token says.

#include <optional>
#include <string_view>

namespace kestro {

enum class Elevation {
  Limited,   // a user's own rights, while an administrator's linked token exists (UAC)
  Default,   // no split token and no raised rights: the user is no administrator
  Full,      // raised through the UAC prompt ("View as administrator")
  Unsplit,   // raised without a prompt: SYSTEM, a service account, or an administrator with
             // UAC off; no user's own token stands beside it
  Unknown,   // the token could not be asked
};

// The elevation type of a token (TOKEN_ELEVATION_TYPE).
enum class TokenSplit { Default, Full, Limited };

// What the process's token says of itself; nothing where a question could not be asked.
struct TokenFacts {
  std::optional<TokenSplit> split;
  std::optional<bool> elevated;          // TokenElevation
  std::optional<std::string_view> user;  // the user's SID as text ("S-1-5-18")
};

// SYSTEM, LocalService and NetworkService have rights above any user's, split or not.
constexpr bool is_service_account(std::string_view sid) {
  return sid == "S-1-5-18" || sid == "S-1-5-19" || sid == "S-1-5-20";
}

// A service account is raised whatever else the token says; a token of type Default is
// raised when it is elevated; a fact that could not be read leaves it unknown.
constexpr Elevation elevation_of(const TokenFacts& token) {
  if (token.user && is_service_account(*token.user)) return Elevation::Unsplit;
  if (!token.split || !token.user) return Elevation::Unknown;
  switch (*token.split) {
    case TokenSplit::Limited: return Elevation::Limited;
    case TokenSplit::Full: return Elevation::Full;
    case TokenSplit::Default: break;
  }
  if (!token.elevated) return Elevation::Unknown;
  return *token.elevated ? Elevation::Unsplit : Elevation::Default;
}

// Whether the process runs with rights above the user's own: raised through UAC or without a
// prompt, or with a token that cannot be asked (the careful answer). Such a copy starts
// nothing that the user's other programs could have chosen or changed.
constexpr bool runs_raised(Elevation elevation) {
  return elevation == Elevation::Full || elevation == Elevation::Unsplit ||
         elevation == Elevation::Unknown;
}

}  // namespace kestro
