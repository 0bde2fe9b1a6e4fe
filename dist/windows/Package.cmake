# Called by the orvex_windows_package target: the deployable folder Orvex-<version>/, the
# portable zip and the installer, in OUT.
set(name Orvex-${VERSION})
set(folder ${OUT}/${name})
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${folder}/platforms ${folder}/styles ${folder}/translations)

foreach(program IN LISTS PROGRAMS)
  get_filename_component(file ${program} NAME)
  execute_process(COMMAND ${STRIP} -o ${folder}/${file} ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
foreach(dll Qt6Core Qt6Gui Qt6Widgets)
  file(COPY ${QT}/bin/${dll}.dll DESTINATION ${folder})
endforeach()
file(COPY ${QT}/plugins/platforms/qwindows.dll DESTINATION ${folder}/platforms)
file(COPY ${QT}/plugins/styles/qwindowsvistastyle.dll DESTINATION ${folder}/styles)
file(COPY ${GCC_DIR}/libstdc++-6.dll ${GCC_DIR}/libgcc_s_seh-1.dll ${MINGW_DIR}/libwinpthread-1.dll
     DESTINATION ${folder})
# Qt's own texts for the standard dialogs, in the program's languages.
foreach(lang pl en de ru)
  file(COPY ${TRANSLATIONS}/qtbase_${lang}.qm DESTINATION ${folder}/translations)
endforeach()
# Qt looks for its plugins and translations beside the program.
file(WRITE ${folder}/qt.conf "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")
file(COPY ${ICON} DESTINATION ${folder})

execute_process(COMMAND ${ZIP} -qr ${name}-portable.zip ${name} WORKING_DIRECTORY ${OUT}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DSOURCE=${folder}
                        -DOUTFILE=${OUT}/${name}-setup.exe -DICON=${ICON} ${NSIS_SCRIPT}
                COMMAND_ERROR_IS_FATAL ANY)
