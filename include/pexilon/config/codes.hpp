/* Part of pexilon/config.hpp: the codes of an entry's type. */

#ifndef PEXILON_CONFIG_CODES_HPP
#define PEXILON_CONFIG_CODES_HPP

#include <pexilon/config_parser.h>

#include <cstdint>

namespace pexilon {

/*==============================================================================
 * Entry codes
 *
 * param_entry.type split into its three parts (see the C header): the
 * section's kind, its device/interface variant, and the key of the line. The
 * enumerations are open: a value the library does not write today is kept
 * as it is, never mapped to a known one.
 *============================================================================*/

/** Kind of a section, bits 31..24 of a type. */
enum class kind : std::uint8_t {
    camera = PEXILON_KIND_CAMERA,
    board = PEXILON_KIND_BOARD,
    register_ = PEXILON_KIND_REGISTER, /* [register parameter] */
    control = PEXILON_KIND_CONTROL,
};

/** The bracket groups after a section's name, bits 23..16 of a type. */
enum class variant : std::uint8_t {
    none = 0x00,      /* [board parameter], [register parameter] */
    dev2 = 0x02,      /* [board parameter][dev2] */
    dev3_inf3 = 0x03, /* [...][dev3][inf3] */
    dev3_inf2 = 0x04, /* [...][dev3][inf2] */
};

/** Key of a board or register line, bits 15..0 of a type. */
enum class key : std::uint16_t {
    reg = PEXILON_KEY_REG,
    vrcmd = PEXILON_KEY_VRCMD,
    delay = PEXILON_KEY_DELAY,
};

} // namespace pexilon

#endif /* PEXILON_CONFIG_CODES_HPP */
