# Back-ends of the core that come from system libraries: MuPDF for the PDF services and
# libjpeg-turbo (TurboJPEG API) for JPEG pictures. Debian ships MuPDF as static archives
# only, so its dependencies come from `pkg-config --static`; HarfBuzz is missing from
# mupdf.pc and is added by hand.
pkg_check_modules(MUPDF REQUIRED IMPORTED_TARGET mupdf)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET GLOBAL libturbojpeg)
pkg_check_modules(HARFBUZZ REQUIRED harfbuzz)

# MuPDF's archives live in /usr/lib, which mupdf.pc does not name.
find_library(MUPDF_LIBRARY NAMES libmupdf.a mupdf PATHS /usr/lib REQUIRED)
find_library(MUPDF_THIRD_LIBRARY NAMES libmupdf-third.a mupdf-third PATHS /usr/lib REQUIRED)
set(mupdf_static_deps ${MUPDF_STATIC_LIBRARIES})
list(REMOVE_ITEM mupdf_static_deps mupdf mupdf-third)
list(TRANSFORM mupdf_static_deps PREPEND "-l")

# The PDF back-end as a target of its own, so that the small page tools can link it
# without the rest of the core.
add_library(leafcraft_pdf_backend INTERFACE)
target_include_directories(leafcraft_pdf_backend INTERFACE ${MUPDF_INCLUDE_DIRS})
target_link_libraries(leafcraft_pdf_backend INTERFACE
    ${MUPDF_LIBRARY} ${MUPDF_THIRD_LIBRARY} ${mupdf_static_deps} ${HARFBUZZ_LIBRARIES})

target_link_libraries(leafcraft_core PRIVATE leafcraft_pdf_backend PUBLIC PkgConfig::TURBOJPEG)
