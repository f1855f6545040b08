(defun S::STARTUP() ;函数名不可以改变
(command "-vbarun" "E:/Project.dll!inuse.StartUp")
)


(defun c:oo()
  (command "-vbarun" "E:/Project.dll!noone.aaabbbccc")
)

(defun c:bg()
(command "-vbarun" "E:/Project.dll!mod1.DrawH")
)

(defun c:n()
(command "-vbarun" "E:/Project.dll!inuse.ShowTools")
)

(defun c:nn()
(command "-vbarun" "E:/Project.dll!inuse.ShowOptions")
)

(defun c:lj(/ ss)
  (setq ss(ssget))
  (command "-vbarun" "E:/Project.dll!inuse.JoinToPline" ss "")
)

(defun c:mj(/ ss)
  (setq ss(ssget))
  (command "-vbarun" "E:/Project.dll!inuse.GetArea" ss "")
)



(defun c:cd(/ ss)
  (setq ss(ssget))
  (command "-vbarun" "E:/Project.dll!inuse.GetLenth" ss "")
)


(defun c:psa(/ ss)
  (setq ss(ssget))
  (command "-vbarun" "E:/Project.dll!inuse.subPartSave" ss "")
)

(defun c:fc()
(command "-vbarun" "E:/Project.dll!inuse.DrawFenCengLine")
)



(defun c:0(/ ss)
  (setq ss(ssget))
  (command "-vbarun" "E:/Project.dll!inuse.ZtoZero" ss "")
)


(defun c:gc()
(command "-vbarun" "E:/Project.dll!Nood.DrawHH")
)

(defun c:tk()
(command "-vbarun" "E:/Project.dll!inuse.InsertTK")
)

(defun c:rq()
(command "-vbarun" "E:/Project.dll!inuse.DrawTime")
)

(defun c:tc()
(command "-vbarun" "E:/Project.dll!inuse.NewDrawLayer")
)

(defun c:ttt()
(command "dtext")
)

(defun c:fs()
(command "offset")
)

(defun c:de()
(command "dimlinear")
)


(defun c:dg()
(command "dimaligned")
)

(defun c:cc() 
(setq ss (ssget())) 
(command "copy" ss "" "m")
)