/* Part of pexilon/config.hpp: whether the throwing forms are declared
 * (PEXILON_CXX_EXCEPTIONS, described there). */

#ifndef PEXILON_CONFIG_EXCEPTIONS_HPP
#define PEXILON_CONFIG_EXCEPTIONS_HPP

/* 1 where the throwing forms (load(path), config::append(path), parse_error)
 * are declared: wherever the compiler has exceptions turned on. */
#ifndef PEXILON_CXX_EXCEPTIONS
#if defined(__cpp_exceptions) || defined(__EXCEPTIONS)
#define PEXILON_CXX_EXCEPTIONS 1
#else
#define PEXILON_CXX_EXCEPTIONS 0
#endif
#endif

#endif /* PEXILON_CONFIG_EXCEPTIONS_HPP */
