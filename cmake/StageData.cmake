# Run at build time (cmake -P): copies the data the desktop program reads at run time into
# <build>/share/textwright, where the program in <build>/app finds it by the same rule as an
# installed program. Language/ is copied when the source tree has it.
#   -DSOURCE_DIR=<source root> -DSTAGE_DIR=<build>/share/textwright
file(REMOVE_RECURSE ${STAGE_DIR}/help ${STAGE_DIR}/Language)
file(COPY ${SOURCE_DIR}/docs/help DESTINATION ${STAGE_DIR})
if(IS_DIRECTORY ${SOURCE_DIR}/Language)
  file(COPY ${SOURCE_DIR}/Language DESTINATION ${STAGE_DIR})
endif()
