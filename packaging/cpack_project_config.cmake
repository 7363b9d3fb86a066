# Read by cpack as it makes the package (CPACK_PROJECT_CONFIG_FILE).
#
# The shlibdeps switch picks the programs out of what `file` says of each installed file,
# run in the C locale, where it writes the bytes of 主程式.so as \344\270\273…; dpkg-shlibdeps
# then cannot open that name. With -r, `file` writes names as they are.
set(FILE_EXECUTABLE ${CPACK_TARNWICKERY_FILE_PROGRAM} -r)
