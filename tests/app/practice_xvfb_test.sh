#!/usr/bin/env bash
# A whole practice with real X input: tolmsys on a virtual X display; xdotool
# clicks a paper, starts, answers a choice question, saves, asks for the
# score and leaves with the confirmation. The bank is checked at each step.
# The program prints where its controls are (TOLMSYS_CONTROL_MAP) so the clicks
# land on them; everything else is real: the program, its bank and skin.
set -euo pipefail
bin_dir=$1

. "$(dirname "$0")/x_display.sh" "$bin_dir" 140 python3
rm -f "$work/ength.dll.back"

map="$work/map.log"
(cd / && TOLMSYS_CONTROL_MAP=1 QT_QPA_PLATFORM=xcb QT_ENABLE_HIGHDPI_SCALING=0 exec "$work/tolmsys") >"$map" 2>"$work/err.log" &
app=$!
pids+=($app)

fail() { echo "FAIL: $*"; echo "--- program output"; tail -n 40 "$map"; cat "$work/err.log"; exit 1; }
bank() { python3 -c 'import sys,sqlite3; print(sqlite3.connect(sys.argv[1]).execute(sys.argv[2]).fetchone()[0])' "$work/ength.dll" "$1"; }
# Waits until the program has printed `pattern` at least `count` times.
wait_for() {
  local pattern=$1 count=${2:-1}
  for _ in $(seq 300); do
    [ "$(grep -c -- "$pattern" "$map" || true)" -ge "$count" ] && return 0
    kill -0 "$app" 2>/dev/null || fail "tolmsys exited"
    sleep 0.1
  done
  fail "waited in vain for: $pattern"
}
# The last known rectangle of a control: window, then name or caption (field 4 or 9).
rect() {
  awk -v w="$1" -v n="$2" '$1 == "control" && $2 == w && ($4 == n || $9 == n) { r = $5 " " $6 " " $7 " " $8 } END { print r }' "$map"
}
click_at() {
  xdotool mousemove --sync "$1" "$2"
  sleep 0.2
  xdotool click 1
  sleep 0.5
}
click() {
  local r; r=$(rect "$1" "$2")
  [ -n "$r" ] || fail "no control $2 in $1"
  read -r x y w h <<<"$r"
  click_at $((x + w / 2)) $((y + h / 2))
}

wait_for "^shown frm_checksub"
# The first paper of the grid: the row under the title row.
read -r gx gy gw gh <<<"$(rect frm_checksub sfSkinDBGrid1)"
read -r _ _ _ title_h row_h <<<"$(grep "^rows frm_checksub sfSkinDBGrid1" "$map" | tail -n 1)"
click_at $((gx + gw / 2)) $((gy + title_h + row_h / 2))
first=$(bank "select title_name from t_title order by rowid limit 1")
wait_for "control frm_checksub [^ ]* lbl_title .* $first"

click frm_checksub sfSkinButton1          # 开始
wait_for "^shown frm_tolmmain"
[ "$(bank 'select count(*) from t_exercise')" = 1 ] || fail "no exercise was started"

click frm_tolmmain sfSkinButton6          # 下一题: the first question
wait_for "control frm_tolmmain [^ ]* rg_subject_ansi"
answer=$(bank "select subject_ansi from v_exerresult where subject_kind='题目' and type_show=1 order by rowid limit 1")
click frm_tolmmain "$answer"              # the right letter
click frm_tolmmain sfSkinButton3          # 保存
for _ in $(seq 50); do
  [ "$(bank "select count(*) from t_exerresult where exre_text='$answer' and exre_istrue='√'")" = 1 ] && break
  sleep 0.1
done
[ "$(bank "select count(*) from t_exerresult where exre_text='$answer' and exre_istrue='√'")" = 1 ] \
  || fail "the answer was not saved as right"

click frm_tolmmain sfSkinButton2          # 计算成绩
points=$(bank "select perpoint from v_exerresult where exre_istrue='√'")
wait_for "control frm_tolmmain [^ ]* lb_cj .* ${points}分"
[ "$(bank 'select exer_point from t_exercise')" = "$points" ] || fail "score not stored"

click frm_tolmmain sfSkinButton1          # 返回菜单
wait_for "^shown Confirm"
click Confirm "&Yes"
for _ in $(seq 50); do
  [ "$(bank 'select count(*) from t_exercise')" = 0 ] && break
  sleep 0.1
done
[ "$(bank 'select count(*) from t_exercise')" = 0 ] || fail "the exercise was not discarded"
[ "$(bank 'select count(*) from t_exerresult')" = 0 ] || fail "its results were not discarded"
kill -0 "$app" || fail "tolmsys died"
echo "practice with real input: ok"
