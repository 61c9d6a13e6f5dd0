# Run by `cmake --install`: writes corvane.desktop into the install folder.
# A launcher names the program by its absolute path, and starts it in its
# folder, so that a data file named without a folder lands there too.
get_filename_component(folder "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
# The path as one quoted Exec argument: a backslash before \ " ` $, % doubled;
# then, as in every value of the file, each backslash doubled.
set(program "${folder}/corvane")
foreach(special "\\" "\"" "`" "$")
  string(REPLACE "${special}" "\\${special}" program "${program}")
endforeach()
string(REPLACE "%" "%%" program "${program}")
string(REPLACE "\\" "\\\\" program "${program}")
string(REPLACE "\\" "\\\\" plain "${folder}")
set(launcher "$ENV{DESTDIR}${folder}/corvane.desktop")
message(STATUS "Installing: ${launcher}")
file(WRITE "${launcher}" "[Desktop Entry]
Type=Application
Name=Corvane
GenericName=HL7 Test Receiver
Comment=Receives HL7 v2 messages over MLLP/TCP and acknowledges each one
Exec=\"${program}\"
Path=${plain}
Icon=${plain}/corvane.png
Terminal=false
Categories=Development;
")
