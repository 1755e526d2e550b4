/*==============================================================================
 * libpexilon_config_parser - C++ interface
 *
 * pexilon::config owns a record filled by pexilon_parse_config() and releases
 * its lists on every path; pexilon::load() reads a file into one. Everything
 * here is inline over the one exported C function: the header adds no symbol
 * to the library and needs nothing beyond it and the C++ standard library.
 *
 *   pexilon::config cfg = pexilon::load("camera.conf");   // throws on a fault
 *   for (pexilon::entry e : cfg.entries())
 *       use(e.kind(), e.key(), e.values());
 *
 * This header compiles as C++17 and as C++20, with or without exceptions.
 * Built without them (-fno-exceptions), the throwing forms are left out and
 * the std::nothrow forms remain; the choice is made once per program, as
 * config has one member more with exceptions (PEXILON_CXX_EXCEPTIONS).
 *============================================================================*/

#ifndef PEXILON_CONFIG_HPP
#define PEXILON_CONFIG_HPP

/* Each concept in a header of its own under pexilon/config/; a host
 * includes this one. */
#include <pexilon/config/codes.hpp>
#include <pexilon/config/editor_lines.hpp>
#include <pexilon/config/errors.hpp>
#include <pexilon/config/exceptions.hpp>
#include <pexilon/config/load.hpp>
#include <pexilon/config/path_arg.hpp>
#include <pexilon/config/record.hpp>
#include <pexilon/config/status.hpp>
#include <pexilon/config/views.hpp>
#include <pexilon/config_parser.h>

#endif /* PEXILON_CONFIG_HPP */
