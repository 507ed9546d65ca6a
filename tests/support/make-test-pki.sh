#!/usr/bin/env bash
# Makes the TLS material of a test run: a private CA, a certificate for localhost/127.0.0.1/::1
# signed by it, and an unrelated self-signed certificate for the TLS failure cases.
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
[ -f done ] && exit 0

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Corvane Test CA" \
    -keyout ca.key -out ca.pem -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null

openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout localhost.key -out localhost.csr 2>/dev/null
printf '%s\n' "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1" \
    "basicConstraints=CA:FALSE" "extendedKeyUsage=serverAuth" > localhost.ext
openssl x509 -req -in localhost.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 \
    -extfile localhost.ext -out localhost.pem 2>/dev/null

openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=localhost" \
    -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" \
    -keyout selfsigned.key -out selfsigned.pem 2>/dev/null

touch done
