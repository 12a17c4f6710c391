# A throwaway code-signing certificate for the tests, made with openssl in
# the folder YUCHANQI_TEST_CERTIFICATE_DIR (in a build folder, never in the
# source tree): a certificate authority of its own (ca.pem), and signed by it
# a code-signing certificate for Tavoren软件 with its key in a PKCS#12 file
# (signer.p12) whose random password is in password.txt. The private keys
# exist only inside signer.p12; the authority's key is thrown away. Nothing
# signed with it is trusted anywhere but by a check given ca.pem.
# Kept while it is good for another 30 days; made anew otherwise.
#   cmake -DYUCHANQI_TEST_CERTIFICATE_DIR=<folder> -P cmake/test-signing-certificate.cmake
# or include()d with that variable set.
if(NOT YUCHANQI_TEST_CERTIFICATE_DIR)
  message(FATAL_ERROR "test-signing-certificate.cmake: set YUCHANQI_TEST_CERTIFICATE_DIR")
endif()
set(_dir ${YUCHANQI_TEST_CERTIFICATE_DIR})
find_program(YUCHANQI_OPENSSL openssl)
if(NOT YUCHANQI_OPENSSL)
  message(FATAL_ERROR "openssl is needed to make the test signing certificate (Debian's openssl)")
endif()

function(_yuchanqi_openssl)
  execute_process(COMMAND ${YUCHANQI_OPENSSL} ${ARGN} WORKING_DIRECTORY ${_dir}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "openssl ${ARGN} failed:\n${output}")
  endif()
endfunction()

set(_good FALSE)
if(EXISTS ${_dir}/signer.p12 AND EXISTS ${_dir}/password.txt AND EXISTS ${_dir}/ca.pem)
  execute_process(COMMAND ${YUCHANQI_OPENSSL} x509 -noout -checkend 2592000 -in ${_dir}/ca.pem
    RESULT_VARIABLE _status OUTPUT_QUIET ERROR_QUIET)
  if(_status EQUAL 0)
    set(_good TRUE)
  endif()
endif()
if(NOT _good)
  file(REMOVE_RECURSE ${_dir})
  file(MAKE_DIRECTORY ${_dir})
  # The folder is its owner's alone before any key or password is in it.
  file(CHMOD ${_dir} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  file(WRITE ${_dir}/signer.cnf "basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
")
  _yuchanqi_openssl(req -x509 -newkey rsa:2048 -noenc -keyout ca.key -out ca.pem -days 400 -utf8
    -subj "/O=Tavoren软件/CN=预产期计算器 test CA (throwaway)"
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign")
  _yuchanqi_openssl(req -new -newkey rsa:2048 -noenc -keyout signer.key -out signer.csr -utf8
    -subj "/O=Tavoren软件/CN=Tavoren软件")
  _yuchanqi_openssl(x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -set_serial 1 -days 399
    -extfile signer.cnf -out signer.pem)
  _yuchanqi_openssl(rand -hex -out password.txt 24)
  _yuchanqi_openssl(pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -name Tavoren软件
    -passout file:password.txt -out signer.p12)
  file(CHMOD ${_dir}/password.txt PERMISSIONS OWNER_READ OWNER_WRITE)
  file(REMOVE ${_dir}/ca.key ${_dir}/signer.key ${_dir}/signer.csr ${_dir}/signer.cnf ${_dir}/signer.pem)
endif()
