#!/bin/sh
# Makes a throw-away certificate authority and a server certificate for "localhost"
# signed by it, for the test back end:
#   ca.pem, ca.der, ca.key            the authority (ca.der is what the Wine prefix imports)
#   localhost.pem, localhost.key      the server's certificate and key
# Existing files are kept, so every test run of a build folder trusts the same authority.
set -eu

out=${1:?usage: make_certs.sh OUTDIR}
mkdir -p "$out"
cd "$out"

# Tests that start in parallel may call this at the same time.
exec 9>.make_certs.lock
flock 9

days_ca=1825
days_server=1095

if [ ! -s ca.key ] || [ ! -s ca.pem ]; then
  # A new authority makes every certificate signed by the old one useless.
  rm -f ca.der localhost.pem localhost.key
  openssl req -x509 -new -newkey rsa:2048 -nodes -sha256 -days "$days_ca" \
    -subj "/CN=Kelvara Test CA" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -addext "subjectKeyIdentifier=hash" \
    -keyout ca.key.tmp -out ca.pem.tmp 2>/dev/null
  mv ca.key.tmp ca.key
  mv ca.pem.tmp ca.pem
fi

if [ ! -s ca.der ]; then
  openssl x509 -in ca.pem -outform DER -out ca.der.tmp
  mv ca.der.tmp ca.der
fi

if [ ! -s localhost.pem ] || [ ! -s localhost.key ]; then
  # Wine's WinHTTP checks the DNS name in subjectAltName; a certificate for an IP
  # address is rejected, so the server is always reached as "localhost".
  cat > localhost.ext <<'EXT'
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=DNS:localhost
subjectKeyIdentifier=hash
authorityKeyIdentifier=keyid
EXT
  openssl req -new -newkey rsa:2048 -nodes -sha256 -subj "/CN=localhost" \
    -keyout localhost.key.tmp -out localhost.csr 2>/dev/null
  openssl x509 -req -sha256 -days "$days_server" -in localhost.csr \
    -CA ca.pem -CAkey ca.key -set_serial "0x$(openssl rand -hex 16)" \
    -extfile localhost.ext -out localhost.pem.tmp 2>/dev/null
  rm -f localhost.csr localhost.ext
  mv localhost.key.tmp localhost.key
  mv localhost.pem.tmp localhost.pem
fi
