#!/usr/bin/env bash
# Regenerates the seed corpora from a freshly seeded tessaro-server:
#   fuzz/make-corpus.sh path/to/tessaro-server
# fuzz_xmlparser gets the bodies of real replies (every kind of list, detail, lookup and error;
# none that carries a session token), fuzz_serverforms gets request bodies as the client sends
# them and the ticket documents inside them.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
server=$(realpath "$1")
work=$(mktemp -d)
port=$((20000 + RANDOM % 20000))
"$server" --data "$work/data" seed --size demo >/dev/null
"$server" --data "$work/data" serve --listen "127.0.0.1:$port" >"$work/server.log" 2>&1 &
server_pid=$!
trap 'kill -TERM "$server_pid"; wait "$server_pid" || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do
    grep -q "^listening on" "$work/server.log" && break
    sleep 0.1
done

replies="$here/corpus/fuzz_xmlparser"
forms="$here/corpus/fuzz_serverforms"
rm -rf "$replies" "$forms"
mkdir -p "$replies" "$forms"
base="https://localhost:$port/corvane/v5"
auth=
twofa=

# post NAME PATH [FIELD=VALUE...]: the reply body, also kept as corpus/fuzz_xmlparser/NAME.xml
# unless NAME is "-".
post() {
    local name=$1 path=$2
    shift 2
    local fields=(--data-urlencode "cmd=/corvane/v5/$path")
    for field in "$@"; do
        fields+=(--data-urlencode "$field")
    done
    local body
    body=$(curl -s --cacert "$work/data/tls/ca.pem" -H "auth: $auth" -H "twoFa: $twofa" \
        "${fields[@]}" "$base/$path")
    if [ "$name" != - ]; then
        printf '%s' "$body" >"$replies/$name.xml"
    fi
    printf '%s' "$body"
}
# The decoded text of the first element NAME of a reply.
field() { grep -o "<$1>[^<]*</$1>" | head -n 1 | sed 's/<[^>]*>//g' | base64 -d; }

user=FRRGLI84C52F205N
consortium=28461530157
post login-refused home/login_account cf_utente=$user cf_confidi=$consortium password=sbagliata >/dev/null
post init-without-session home/init >/dev/null
auth=$(post - home/login_account cf_utente=$user cf_confidi=$consortium password=Corvane.Demo.2024 |
    field descr)
twofa=$(post - home/autenticazione_two_fa "twofa_token=$("$server" --data "$work/data" totp $user)" |
    field descr)

post init home/init >/dev/null
post banks home/banche >/dev/null
post states home/stati >/dev/null
post provinces home/province >/dev/null
post province-initials home/province_sigla >/dev/null
post cities search/comuni/03111 prov=FC >/dev/null
post address-kinds search/tipo_indirizzo/03111 >/dev/null
post privacy home/send_privacy >/dev/null
post version home/version_check >/dev/null
post companies search/lista_imprese/03111 start=0 >/dev/null
post companies-none search/lista_imprese/03111 start=0 search_li_ragsoc=nessuna >/dev/null
post reports search/report/03111 >/dev/null
positions=$(post positions search/pratiche/03111 start=0)
# The first position of the page that has an amortization plan.
fields() { grep -o "<$1>[^<]*</$1>" | sed 's/<[^>]*>//g'; }
while read -r encoded_id encoded_lcr; do
    id=$(base64 -d <<<"$encoded_id")
    lcr=$(base64 -d <<<"$encoded_lcr")
    plan=$(post - search/ft_piano_amm/03111 pratica_ft_id="$id" lcr="$lcr")
    if grep -q "<item_dati>" <<<"$plan"; then
        printf '%s' "$plan" >"$replies/plan.xml"
        break
    fi
done < <(paste -d ' ' <(fields pratica_forma_tecnica_id <<<"$positions") \
    <(fields num_delib_c <<<"$positions"))
company=$(field impresa_anagrafica_id <<<"$(post position search/dett_pratica/03111 \
    pratica_ft_id="$id" lcr="$lcr")")
post related-forms search/ft_collegate/03111 pratica_ft_id="$id" lcr="$lcr" >/dev/null
post company search/i_anag/03111 i_anag="$company" >/dev/null
post tickets home/ticket search_stato=0 >/dev/null
post ticket home/ticket_dett ticket=1 >/dev/null
post ticket-email home/ticket_mail_utente >/dev/null

# Request bodies as the client encodes them, and the ticket documents on their own.
document() {
    printf '<?xml version="1.0" encoding="UTF-8"?><dati_ticket><ticket>'
    printf '<ticket_id>%s</ticket_id><oggetto>%s</oggetto><testo>%s</testo><email>%s</email>' \
        "$(printf '%s' "$1" | base64 -w0)" "$(printf '%s' "$2" | base64 -w0)" \
        "$(printf '%s' "$3" | base64 -w0)" "$(printf '%s' "$4" | base64 -w0)"
    printf '</ticket></dati_ticket>'
}
encode() { base64 -w0 | sed 's/+/%2B/g; s/\//%2F/g; s/=/%3D/g'; }
document "" "Stampa del piano" "Il piano non si stampa: è urgente." "avvisi@example.it" \
    >"$forms/new-ticket.xml"
document "3" "" "Aggiungo un dettaglio." "" >"$forms/ticket-message.xml"
printf 'cmd=%%2Fcorvane%%2Fv5%%2Fhome%%2FticketIns&dati_t=%s' "$(encode <"$forms/new-ticket.xml")" \
    >"$forms/new-ticket.form"
printf 'cmd=%%2Fcorvane%%2Fv5%%2Fhome%%2FticketIns&dati_t=%s' \
    "$(encode <"$forms/ticket-message.xml")" >"$forms/ticket-message.form"
printf 'cmd=%%2Fcorvane%%2Fv5%%2Fsearch%%2Fpratiche%%2F03111&start=0&search_lp_impr=CAFF%%C3%%88+%%26+C.' \
    >"$forms/search.form"
printf 'cf_utente=%s&cf_confidi=%s&password=Una+prova%%21' $user $consortium >"$forms/login.form"
wc -c "$replies"/* "$forms"/* | tail -n 1
